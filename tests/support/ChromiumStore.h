// A Chromium profile of given rows as the store in use, for one test (see KindStore.h).
#pragma once

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/ChromiumProfile.h"
#include "support/KindStore.h"

namespace tolvane::test {

class ChromiumStore {
 public:
  explicit ChromiumStore(std::vector<ChromiumTestRow> rows, int version = 24,
                         std::string v11Password = "")
      : m_store(std::make_unique<KindStore>(StoreKindCase{
            "chromium", platform::StoreKind::Chromium,
            [&](const std::string& folder) {
              const std::string profile = folder + "/Default";
              std::filesystem::create_directories(profile);
              m_file =
                  std::make_unique<ChromiumProfile>(profile + "/Cookies", version, v11Password);
              for (const ChromiumTestRow& row : rows) m_file->Add(row);
              return profile;
            },
            0xFFFFFFFFu})) {}

  KindStore& Store() { return *m_store; }
  const ChromiumProfile& File() const { return *m_file; }
  std::string UserData() const { return m_store->Folder(); }

  /** A SingletonLock as a browser of that host and pid leaves it. */
  void Lock(const std::string& host, long pid) const {
    std::filesystem::remove(UserData() + "/SingletonLock");
    std::filesystem::create_symlink(host + "-" + std::to_string(pid),
                                    UserData() + "/SingletonLock");
  }
  static std::string Host() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
  }

 private:
  std::unique_ptr<ChromiumProfile> m_file;
  std::unique_ptr<KindStore> m_store;
};

}  // namespace tolvane::test
