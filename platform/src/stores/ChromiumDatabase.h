// The Cookies file of a Chromium-family profile in SQLite: its rows read (the file read as it
// stood even while the browser holds it), and changes written in one transaction that first
// checks nothing changed since the rows were read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ChromiumRow.h"

namespace platform::detail {

struct ChromiumTable {
  int version = 0;                // meta "version"
  int compatible = 0;             // meta "last_compatible_version"
  std::vector<ChromiumRow> rows;  // in rowid order; values not yet decrypted
  uint64_t fingerprint = 0;       // of the version and every stored column of every row
};

/** Reads every row. False with an error code and a readable problem. */
bool ReadChromiumTable(const std::string& path, ChromiumTable& table, DWORD& error,
                       std::string& problem);
/** The number of rows, without reading them; -1 when the file cannot be read. */
long CountChromiumCookies(const std::string& path);

struct ChromiumChanges {
  std::vector<int64_t> deleted;       // rowids
  std::vector<ChromiumRow> updated;   // by rowid
  std::vector<ChromiumRow> inserted;  // rowid ignored
  bool Empty() const { return deleted.empty() && updated.empty() && inserted.empty(); }
};

/**
 * Writes the changes in one transaction, under the write lock of the file, only when the file
 * still holds what `fingerprint` was taken of and `inUse` (asked again inside the transaction)
 * says nobody runs the browser. The columns written are those of versions 23 and 24; a table
 * with other columns is refused. False with an error code and a readable problem; then nothing
 * was written.
 */
bool WriteChromiumChanges(const std::string& path, uint64_t fingerprint,
                          const ChromiumChanges& changes, const std::function<std::string()>& inUse,
                          DWORD& error, std::string& problem);

}  // namespace platform::detail
