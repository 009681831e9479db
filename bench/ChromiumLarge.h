// A Chromium profile of many cookies with v10 values, as a browser of version 24 leaves them:
// site<i>.example.com with ten cookies each.
#pragma once

#include <string>
#include <vector>

#include "support/ChromiumProfile.h"

namespace bench {

inline void FillChromiumProfile(const std::string& cookiesFile, int cookies) {
  tolvane::test::ChromiumProfile file(cookiesFile);
  std::vector<tolvane::test::ChromiumTestRow> rows;
  rows.reserve(size_t(cookies));
  for (int i = 0; i < cookies; ++i) {
    tolvane::test::ChromiumTestRow& row = rows.emplace_back();
    row.hostKey =
        (i % 3 == 0 ? "." : "") + std::string("site") + std::to_string(i / 10) + ".example.com";
    row.name = "name" + std::to_string(i % 10);
    row.value = std::string(40, char('a' + i % 26)) + "%20" + std::to_string(i);
    row.creation += i;
    row.lastAccess = row.lastUpdate = row.creation;
  }
  file.Add(rows);
}

}  // namespace bench
