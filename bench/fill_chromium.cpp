// Not a benchmark: makes a Chromium profile of many cookies, to time the program itself on it.
//   bench_fill_chromium DIR COOKIES    makes DIR/Default/Cookies (version 24, v10 values)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ChromiumLarge.h"

int main(int argc, char** argv) {
  if (argc != 3 || std::atoi(argv[2]) <= 0) {
    std::fprintf(stderr, "usage: bench_fill_chromium DIR COOKIES\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/Default";
  if (std::filesystem::exists(folder + "/Cookies")) {
    std::fprintf(stderr, "bench_fill_chromium: %s/Cookies exists\n", folder.c_str());
    return 1;
  }
  std::filesystem::create_directories(folder);
  bench::FillChromiumProfile(folder + "/Cookies", std::atoi(argv[2]));
  std::printf("%s\n", folder.c_str());
  return 0;
}
