// Writing a whole file the program produces for the user (exports, copies of cookies).
#pragma once

#include <string>

namespace platform {

/**
 * Writes `bytes` to the file-system path, replacing what the file held. A new file is created
 * readable by its owner only (what the program writes holds cookies); an existing file keeps its
 * mode. Every write, the flush and the close are checked. False with errno set otherwise.
 */
bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace platform
