// A Firefox profile folder from outside: whether Firefox is using it, holding it so Firefox
// cannot start, and a private copy of its cookie database to read while Firefox writes it.
#pragma once

#include <sys/types.h>

#include <string>

namespace platform::detail {

/**
 * The process of the Firefox that holds the profile, 0 when none does. Firefox keeps an fcntl
 * write lock over the whole of <profile>/.parentlock while it runs (the `lock` link stays after
 * it exits, so that says nothing). -1 when it cannot be told (the file cannot be opened).
 */
pid_t FirefoxHoldingProfile(const std::string& folder);

/**
 * The profile lock taken for ourselves, for as long as the object lives: a Firefox started
 * meanwhile finds the profile in use and does not touch it. Firefox's own way of locking, so
 * it never meets a half-written database.
 */
class ProfileLock {
 public:
  ProfileLock() = default;
  ~ProfileLock();
  ProfileLock(const ProfileLock&) = delete;
  ProfileLock& operator=(const ProfileLock&) = delete;

  /** False with `holder` set to Firefox's process when it holds the profile, or -1 and
   *  `problem` when the lock file cannot be opened. */
  bool Take(const std::string& folder, pid_t& holder, std::string& problem);

 private:
  // POSIX locks belong to the process and go when any descriptor of the file closes: nothing
  // else in this process may open .parentlock while the lock is held.
  int m_fd = -1;
};

/**
 * A consistent copy of a SQLite database in WAL mode, taken without any lock: the main file and
 * its WAL are copied into a private folder (0700, files 0600), and the copy is taken again when
 * the WAL was restarted or the main file written meanwhile. SQLite replays the copied WAL when
 * the copy is opened, up to its last complete transaction.
 */
class DatabaseSnapshot {
 public:
  DatabaseSnapshot() = default;
  ~DatabaseSnapshot();
  DatabaseSnapshot(const DatabaseSnapshot&) = delete;
  DatabaseSnapshot& operator=(const DatabaseSnapshot&) = delete;

  bool Take(const std::string& database, std::string& problem);
  /** The copy of the main file. */
  const std::string& Path() const { return m_path; }

 private:
  void Remove();
  std::string m_folder;
  std::string m_path;
};

}  // namespace platform::detail
