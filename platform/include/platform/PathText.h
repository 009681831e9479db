// Paths between the program and the file system. Inside the program every path is CP932, as
// every string that crosses the platform's ...A calls is; on disk paths are the file system's
// bytes (UTF-8 on a usual Linux system). These two functions are the one place where the two
// meet, and they lose nothing: a character CP932 cannot hold (Korean, an emoji, a byte that is
// not UTF-8 at all) travels through the program as one CP932 user-defined character per byte
// of its UTF-8 form (U+E000 + the byte), which the window shows as a blank box, and comes back
// to the very same bytes. A user-defined character in a file name is carried the same way.
#pragma once

#include <string>
#include <string_view>

namespace platform {

/** A file-system path as the program's CP932 text. */
std::string PathToProgram(std::string_view fileSystemPath);
/** A path in the program's CP932 text as the file system's bytes. */
std::string PathFromProgram(std::string_view programPath);

}  // namespace platform
