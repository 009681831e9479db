// A Firefox profile in a fresh temporary folder, in use as the store while the object lives,
// with its backups kept inside it; and reading and committing entries through the URL cache
// calls as a program does.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <wininet.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/CookieRecord.h"
#include "platform/Faults.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"
#include "support/CacheCalls.h"
#include "support/FirefoxDb.h"
#include "support/StoreSandbox.h"

namespace tolvane::test {

class FirefoxProfileStore {
 public:
  FirefoxProfileStore() : m_sandbox("ff"), m_profile(m_sandbox.Folder() + "/profile") {
    std::filesystem::create_directory(m_profile);
  }

  const std::string& Folder() const { return m_sandbox.Folder(); }
  const std::string& Profile() const { return m_profile; }
  std::string Database() const { return m_profile + "/cookies.sqlite"; }

  /** Makes the database and makes the profile the store in use. */
  bool Make(int version, const std::string& table = "") {
    if (!MakeFirefoxDb(Database(), version, table)) return false;
    Use();
    return true;
  }
  void Use() const { platform::SetStoreLocation(m_profile); }

  /** The database file's bytes, and its WAL's after a NUL ("" when there is none). */
  std::string Bytes() const { return Read(Database()) + '\0' + Read(Database() + "-wal"); }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  /** An entry's records as the stream gives them. */
  static std::vector<platform::CookieRecord> Records(const std::string& url) {
    std::vector<platform::CookieRecord> records;
    std::string problem;
    platform::ParseCookieRecords(StreamBytes(url), records, problem);
    return records;
  }

  /** Commits an entry of these records, as the catalogue does. */
  static bool Commit(const std::string& url, const std::vector<platform::CookieRecord>& records) {
    return CommitRecords(url, records);
  }

  /** Every entry's URL under the "cookie:" pattern, sorted. */
  static std::vector<std::string> Urls() {
    std::vector<platform::UrlCacheRecord> records;
    std::vector<std::string> urls;
    if (!platform::ListUrlCacheEntries(records)) return {"<cannot list>"};
    for (const platform::UrlCacheRecord& record : records) urls.push_back(record.url);
    std::sort(urls.begin(), urls.end());
    return urls;
  }

 private:
  StoreSandbox m_sandbox;
  std::string m_profile;
};

}  // namespace tolvane::test
