// Paths between the program and the file system. Inside the program every path is CP932, as
// every string that crosses the platform's ...A calls is; on disk paths are the file system's
// bytes (UTF-8). These two are the one place where the two meet.
#pragma once

#include <string>
#include <string_view>

namespace platform {

/** A file-system path as the program's CP932 text. */
std::string PathToProgram(std::string_view fileSystemPath);
/** A path in the program's CP932 text as the file system's bytes. */
std::string PathFromProgram(std::string_view programPath);

}  // namespace platform
