// The store's root folder and its cookie folder, held open. Every file inside is reached
// relative to them, one name at a time and never through a link, so nothing swapped into the
// folders can send a read or a write elsewhere.
#pragma once

#include <sys/stat.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace platform::detail {

class StoreFolder {
 public:
  // Opens the root (created when missing, unless it cannot be written) and its cookie folder,
  // and vets both: ours, not writable by group or others, the cookie folder no link. Null with
  // error and detail when the store may not be used.
  static std::unique_ptr<StoreFolder> Open(const std::string& root, std::string& detail,
                                           DWORD& error);
  ~StoreFolder();
  StoreFolder(const StoreFolder&) = delete;
  StoreFolder& operator=(const StoreFolder&) = delete;

  const std::string& Root() const { return m_root; }
  const std::string& CookiePath() const { return m_cookiePath; }
  int RootFd() const { return m_rootFd; }
  int CookieFd() const { return m_cookieFd; }
  // Nothing may be written: a read-only mount, or the owner took the write permission away
  // (honoured even where the system would let this process write).
  bool ReadOnly() const { return !m_readOnly.empty(); }
  const std::string& ReadOnlyReason() const { return m_readOnly; }
  void SetReadOnly(const std::string& reason) {
    if (m_readOnly.empty()) m_readOnly = reason;
  }

  // Opens a file of the root (inRoot) or of the cookie folder with open(2) flags; O_TRUNC is
  // applied only after the file passed: a regular file of ours with one link. Never blocks;
  // a created file is 0600 whatever the umask, and one found open to others is tightened
  // unless the store is read-only. -1 with the failure recorded.
  int OpenFile(const std::string& name, int flags, bool inRoot = false);
  // The file's status without following a link; false (errno set) when it is not there.
  bool StatFile(const std::string& name, struct stat& st, bool inRoot = false) const;
  // Removes a file of the cookie folder (never a folder). False with the failure recorded.
  bool RemoveFile(const std::string& name);
  // Every name in the cookie folder. False with the failure recorded.
  bool ListFiles(std::vector<std::string>& names) const;

 private:
  StoreFolder(std::string root, int rootFd);
  int FolderFd(bool inRoot) const { return inRoot ? m_rootFd : m_cookieFd; }
  std::string PathOf(const std::string& name, bool inRoot) const {
    return (inRoot ? m_root : CookiePath()) + "/" + name;
  }

  std::string m_root;
  std::string m_cookiePath;
  int m_rootFd;
  int m_cookieFd = -1;  // -1: a read-only store without a cookie folder
  std::string m_readOnly;
};

// A name usable inside a store folder: no separator, not "." or "..", not empty.
bool IsPlainName(const std::string& name);

}  // namespace platform::detail
