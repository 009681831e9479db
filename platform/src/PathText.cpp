#include "platform/PathText.h"

#include "codec/Cp932.h"

namespace platform {

std::string PathToProgram(std::string_view fileSystemPath) {
  return codec::Utf8ToCp932(fileSystemPath);
}

std::string PathFromProgram(std::string_view programPath) {
  return codec::Cp932ToUtf8(programPath);
}

}  // namespace platform
