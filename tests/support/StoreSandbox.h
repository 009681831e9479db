// A fresh temporary folder for one test of a store, holding the backups too: XDG_STATE_HOME
// points into it while the object lives. Faults are cleared on both ends, and the store in use
// goes back to the default when it ends.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/Faults.h"
#include "platform/StoreLocation.h"

namespace tolvane::test {

class StoreSandbox {
 public:
  explicit StoreSandbox(const char* name) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                          "/tolvane-" + name + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();  // no store, no test
    m_folder = pattern;
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr) m_oldState = state;
    ::setenv("XDG_STATE_HOME", (m_folder + "/state").c_str(), 1);
    platform::ClearFaults();
  }
  ~StoreSandbox() {
    platform::ClearFaults();
    platform::SetStoreLocation("");
    if (m_oldState.empty()) {
      ::unsetenv("XDG_STATE_HOME");
    } else {
      ::setenv("XDG_STATE_HOME", m_oldState.c_str(), 1);
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }
  StoreSandbox(const StoreSandbox&) = delete;
  StoreSandbox& operator=(const StoreSandbox&) = delete;

  const std::string& Folder() const { return m_folder; }

 private:
  std::string m_folder;
  std::string m_oldState;
};

}  // namespace tolvane::test
