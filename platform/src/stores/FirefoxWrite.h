// Writing a commit's changes into cookies.sqlite: one SQLite transaction, made only when the
// rows it changes are still what was read.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "FirefoxCookies.h"

namespace platform::detail {

struct FirefoxChanges {
  struct Update {
    FirefoxRow old;  // as read; the file must still hold it
    FirefoxRow row;  // what it becomes (the same id)
  };
  std::vector<Update> updates;
  std::vector<FirefoxRow> deletes;  // as read
  std::vector<FirefoxRow> inserts;  // ids filled in by the write

  bool Empty() const { return updates.empty() && deletes.empty() && inserts.empty(); }
};

/**
 * Opens the database (its owner must not be running: the caller holds the profile lock) and
 * makes the changes in one transaction. New rows get Firefox's values for what a record cannot
 * hold: lastAccessed and updateTime now, schemeMap of the scheme the cookie suits (https when
 * secure, else http), everything else the column's default. Refused, with nothing written,
 * when the schema or a changed row is no longer what was read, or a new row's identity is
 * taken meanwhile. `error` is the code to fail with.
 */
bool WriteFirefoxChanges(const std::string& database, const FirefoxSchema& schema,
                         FirefoxChanges& changes, DWORD& error, std::string& problem);

}  // namespace platform::detail
