// Cookie files of back ends that keep no files of their own. A commit still writes a file
// through CreateFileA and WriteFile; for these stores that file lives in memory, at a path
// under the store's own file, where nothing can ever exist on disk.
#pragma once

#include <string>

namespace platform::detail {

/** Paths under root (root + "/...") are in memory from now on. */
void AddVirtualRoot(const std::string& root);
void RemoveVirtualRoot(const std::string& root);
/** True for a path under a root added above (whether or not a file is there). */
bool IsVirtualPath(const std::string& path);

/** Makes an empty file at the path; false when one is there already. */
bool CreateVirtualFile(const std::string& path);
bool VirtualFileExists(const std::string& path);
/** Empties the file (CREATE_ALWAYS and TRUNCATE_EXISTING). */
bool TruncateVirtualFile(const std::string& path);
bool AppendVirtualFile(const std::string& path, const char* bytes, size_t size);
/** Moves the file's bytes out and removes the file; false when there is none. */
bool TakeVirtualFile(const std::string& path, std::string& bytes);
bool DeleteVirtualFile(const std::string& path);

}  // namespace platform::detail
