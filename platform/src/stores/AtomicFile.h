// Replacing a file whole, so that a reader sees either the old bytes or the new ones and a crash
// or a full disk leaves the old file as it was.
#pragma once

#include <sys/types.h>

#include <string>

namespace platform::detail {

/**
 * Writes the bytes to a new file beside `path`, syncs it, and renames it over `path`. The file
 * keeps the mode (and, for root, the owner) of the one it replaces; a new file gets `newMode`.
 * False with errno set and a readable reason otherwise; the old file is then untouched.
 */
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes, mode_t newMode,
                           std::string& problem);

/** Reads a regular file whole without following a final symlink or blocking on a FIFO. */
bool ReadRegularFile(const std::string& path, std::string& bytes, std::string& problem);

}  // namespace platform::detail
