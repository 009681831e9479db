// Makes a Firefox profile of made-up cookies, to time the program itself on it:
//   bench_fill_firefox DIR SITES COOKIES_PER_SITE
//   TOLVANE_SCREENSHOT=x.png /usr/bin/time -v build/tolvane DIR
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FirefoxFill.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s DIR SITES COOKIES_PER_SITE\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  std::error_code error;
  // Never someone's profile: only a folder that does not exist yet, or is empty.
  if (std::filesystem::exists(folder, error) && !std::filesystem::is_empty(folder, error)) {
    std::fprintf(stderr, "%s: %s is not empty; give a new folder\n", argv[0], folder.c_str());
    return 1;
  }
  std::string problem;
  if (!bench::FillFirefoxProfile(folder, std::atoi(argv[2]), std::atoi(argv[3]), problem)) {
    std::fprintf(stderr, "%s: %s\n", argv[0], problem.c_str());
    return 1;
  }
  std::printf("%d sites of %d cookies in %s/cookies.sqlite\n", std::atoi(argv[2]),
              std::atoi(argv[3]), folder.c_str());
  return 0;
}
