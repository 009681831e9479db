// A cookie store of one kind in a fresh temporary folder, in use while the object lives, for the
// tests every store kind must pass. Backups the store makes go to a folder inside it too.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <wininet.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/CookieRecord.h"
#include "platform/Faults.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"
#include "support/CacheCalls.h"
#include "support/ChromiumProfile.h"
#include "support/FirefoxDb.h"
#include "support/StoreSandbox.h"

namespace tolvane::test {

struct StoreKindCase {
  const char* name;
  platform::StoreKind kind;
  // Makes an empty store of the kind in the folder; its location text.
  std::function<std::string(const std::string& folder)> make;
  // The flag bits the kind keeps (a record's other bits are not stored).
  DWORD keptFlags;
};

/** A fresh, empty index.dat of a Wine cookie folder, byte for byte as Wine 8 makes one. */
inline std::string EmptyWineIndex() {
  std::string image(0x8000, '\0');
  auto put = [&](size_t at, uint32_t value) { std::memcpy(&image[at], &value, 4); };
  std::memcpy(image.data(), "WINE URLCache Ver 0.2012001", 27);
  put(0x1C, 0x8000);      // file size
  put(0x20, 0x4000);      // first hash table
  put(0x24, 0x80);        // blocks
  put(0x28, 0x20);        // blocks in use: the hash table's
  put(0x30, 0x07FF5400);  // cache limit
  put(0x250, 0xFFFFFFFF);
  put(0x4000, 0x48534148);  // "HASH"
  put(0x4004, 0x20);
  for (size_t at = 0x4010; at < 0x4010 + 448 * 8; at += 4) put(at, 3);  // free slots
  for (size_t at = 0x4010 + 448 * 8; at < 0x5000; at += 4) put(at, 0xDEADBEEF);
  return image;
}

/** A Wine prefix in the folder whose user "tester" has an empty cookie folder; its server
 *  folder (where the wineserver's lock lives) is the folder itself. */
inline std::string MakeWinePrefix(const std::string& folder) {
  const std::string prefix = folder + "/prefix";
  const std::string cookies =
      prefix + "/drive_c/users/tester/AppData/Local/Microsoft/Windows/INetCookies";
  std::filesystem::create_directories(cookies);
  std::ofstream(prefix + "/wineserver") << folder.substr(folder.find_last_of('/') + 1);
  std::ofstream(cookies + "/index.dat", std::ios::binary) << EmptyWineIndex();
  return "wine:" + prefix;
}

/** Every kind of store, for parameterised tests. */
inline const std::vector<StoreKindCase>& StoreKinds() {
  static const std::vector<StoreKindCase> kinds = {
      {"urlcache", platform::StoreKind::UrlCache,
       [](const std::string& folder) { return "urlcache:" + folder + "/store"; }, 0xFFFFFFFFu},
      {"netscape", platform::StoreKind::Netscape,
       [](const std::string& folder) {
         const std::string path = folder + "/cookies.txt";
         std::ofstream(path) << "# Netscape HTTP Cookie File\n\n";
         return path;
       },
       platform::kCookieBitSecure | platform::kCookieBitSession | platform::kCookieBitHttpOnly |
           platform::kCookieBitHostOnly},
      {"wine", platform::StoreKind::Wine, MakeWinePrefix, ~platform::kCookieBitSession},
      {"firefox", platform::StoreKind::Firefox,
       [](const std::string& folder) {
         const std::string profile = folder + "/profile";
         std::filesystem::create_directory(profile);
         if (!MakeFirefoxDb(profile + "/cookies.sqlite", 17)) std::abort();
         return profile;
       },
       platform::kCookieBitSecure | platform::kCookieBitHttpOnly | platform::kCookieBitHostOnly |
           platform::kCookieBitSameSiteStrict | platform::kCookieBitSameSiteLax},
      {"chromium", platform::StoreKind::Chromium,
       [](const std::string& folder) {
         const std::string profile = folder + "/Default";
         std::filesystem::create_directories(profile);
         ChromiumProfile(profile + "/Cookies");
         return profile;
       },
       platform::kCookieBitSecure | platform::kCookieBitSession | platform::kCookieBitHttpOnly |
           platform::kCookieBitHostOnly | platform::kCookieBitSameSiteStrict |
           platform::kCookieBitSameSiteLax},
  };
  return kinds;
}

inline std::string KindName(const testing::TestParamInfo<StoreKindCase>& info) {
  return info.param.name;
}

class KindStore {
 public:
  explicit KindStore(const StoreKindCase& kind) : m_kind(kind), m_sandbox("kind") {
    m_location = kind.make(m_sandbox.Folder());
    platform::SetStoreLocation(m_location);
  }

  const std::string& Folder() const { return m_sandbox.Folder(); }
  const std::string& Location() const { return m_location; }
  const StoreKindCase& Kind() const { return m_kind; }

  /** The URL the store gives the entry of cookies of this host and path. */
  static std::string UrlFor(const std::string& host, const std::string& path) {
    return platform::StoreEntryUrl(host, path);
  }

  /** A cookie every kind can hold. */
  platform::CookieRecord Cookie(const std::string& name, const std::string& value,
                                const std::string& domain, DWORD flags = 0) const {
    platform::CookieRecord record;
    record.name = name;
    record.value = value;
    record.domain = domain;
    record.flags = flags & m_kind.keptFlags;
    record.expire = (record.flags & platform::kCookieBitSession) != 0
                        ? FILETIME{}
                        : platform::FileTimeFromUnix(1893456000);  // 2030-01-01
    return record;
  }

  /** Commits an entry of these records through the URL cache calls, as a program would. */
  bool Commit(const std::string& url, const std::vector<platform::CookieRecord>& records) const {
    return CommitRecords(url, records);
  }

  /** The bytes of an entry's cookie file as a stream reads them; "<none>" when it fails. */
  static std::string Stream(const std::string& url) { return StreamBytes(url); }

 private:
  StoreKindCase m_kind;
  StoreSandbox m_sandbox;
  std::string m_location;
};

}  // namespace tolvane::test
