// Paths between the program's CP932 and the file system's bytes lose nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "codec/Cp932.h"
#include "platform/PathText.h"

namespace {

TEST(PathText, EveryPathComesBackToTheSameBytes) {
  const struct {
    const char* name;
    std::string path;
    bool cp932;  // CP932 holds every character: the program text is plain CP932
  } rows[] = {
      {"ASCII", "/tmp/store/Cookies", true},
      {"Japanese", "/home/ユーザー/書類/cookies.txt", true},
      {"half-width katakana", "/tmp/ﾃｷｽﾄ", true},
      {"Korean", "/home/사용자/cookies.txt", false},
      {"an emoji", "/tmp/🍪/x", false},
      {"bytes that are not UTF-8", "/tmp/\xff\xfe\x80/x", false},
      {"a user-defined character", "/tmp/\xee\x80\x81/x", false},
      {"a character CP932 maps elsewhere", "/tmp/\xe2\x80\x95", false},  // U+2015
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string program = platform::PathToProgram(row.path);
    EXPECT_EQ(platform::PathFromProgram(program), row.path);
    if (row.cp932) {
      EXPECT_EQ(program, codec::Utf8ToCp932(row.path));
    }
    EXPECT_EQ(program.find('?'), std::string::npos);  // nothing is replaced on the way
    // The slashes stay where they were, so the program can still split the path.
    EXPECT_EQ(std::count(program.begin(), program.end(), '/'),
              std::count(row.path.begin(), row.path.end(), '/'));
  }
}

}  // namespace
