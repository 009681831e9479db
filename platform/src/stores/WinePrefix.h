// Where a Wine prefix keeps the cookies of its Windows programs, whether a wineserver runs for
// it, and the lock that keeps one from starting while Tolvane writes.
//
// A wineserver takes a POSIX write lock on the file "lock" of its server folder
// "server-<dev>-<inode>" (of the prefix folder, in hex) before it does anything, and holds it
// while it runs; a second server that cannot take it leaves, and the program that started it
// retries for a few seconds. Debian's Wine keeps that folder in "$TMPDIR/<name>", the name
// written in the prefix's file "wineserver"; upstream Wine in "/tmp/.wine-<uid>".
#pragma once

#include <string>
#include <vector>

namespace platform::detail {

struct WinePlace {
  std::string prefix;        // the prefix folder (holds drive_c); empty when not inside one
  std::string user;          // the Windows user the cookies belong to
  std::string cookieFolder;  // INetCookies, or the older Cookies
  std::string IndexPath() const { return cookieFolder + "/index.dat"; }
};

/**
 * The prefix, user and cookie folder of a location: a prefix folder, a cookie folder or the
 * index.dat in one. False with a reason when the path is none of them.
 */
bool FindWinePlace(const std::string& path, WinePlace& place, std::string& problem);

/** The cookie folder of each user of a prefix that has one. */
std::vector<WinePlace> WinePlacesOf(const std::string& prefix);

/** Empty when no wineserver runs for the prefix; otherwise which one does, in English. */
std::string WineServerRunning(const std::string& prefix);

/**
 * While it lives, holds the lock every wineserver of the prefix needs at start: none can start
 * (a Wine program started meanwhile waits and retries). Acquire fails when one runs.
 */
class WineServerLock {
 public:
  WineServerLock() = default;
  ~WineServerLock();
  WineServerLock(const WineServerLock&) = delete;
  WineServerLock& operator=(const WineServerLock&) = delete;

  bool Acquire(const std::string& prefix, std::string& problem);

 private:
  std::vector<int> m_fds;
};

/** Prefix folders in the usual places: ~/.wine, $WINEPREFIX and the launchers' folders. */
std::vector<std::string> FindWinePrefixes();

}  // namespace platform::detail
