// Backups of real stores: before the first write of a run to a store (a cookies.txt, a browser
// profile, a Wine prefix), its files are copied into $XDG_STATE_HOME/tolvane/backups
// (~/.local/state/tolvane/backups), a folder only its owner can read; the last 10 of each store
// are kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/StoreLocation.h"

namespace platform {

struct StoreBackup {
  std::string id;  // its folder's name; what RestoreBackup takes
  StoreLocation location;
  int64_t created = 0;             // seconds since 1970
  std::vector<std::string> files;  // the store's files it holds, as they were named
  uint64_t bytes = 0;
};

/** The folder backups go to. */
std::string BackupFolder();
/** Every backup, newest first. */
std::vector<StoreBackup> ListBackups();
/**
 * Puts a backup's files back where they were (and removes those the store did not have then),
 * each replaced atomically. Refused, with the reason, while the store's owner runs. Nothing is
 * backed up first: the files replaced are the ones a backup was made of in that run, or newer.
 */
bool RestoreBackup(const std::string& id, std::string& problem);

}  // namespace platform
