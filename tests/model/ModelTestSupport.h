// Shared by the model tests: a private store in a temporary folder, recorded message boxes,
// and helpers to put entries into the store and look at what it holds.
#pragma once

#include <gtest/gtest.h>
#include <wininet.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "codec/Cp932.h"
#include "model/RecordBuffer.h"
#include "model/TimeText.h"
#include "platform/Faults.h"
#include "platform/Hooks.h"
#include "platform/UrlCacheStore.h"
#include "support/TempStore.h"

namespace modeltest {

struct Box {
  std::string text;
  std::string caption;
  UINT type;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline FILETIME MakeFileTime(uint64_t value) {
  return FILETIME{DWORD(value & 0xFFFFFFFFu), DWORD(value >> 32)};
}

inline uint64_t ToUint64(const FILETIME& time) {
  return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

/** The system text the platform gives for an error code, as ShowLastError shows it. */
inline std::string SystemText(DWORD error) {
  LPSTR text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string result = text ? text : "";
  LocalFree(text);
  return result;
}

inline std::string Cp932(const char* utf8) { return codec::Utf8ToCp932(utf8); }

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_store = std::make_unique<tolvane::test::TempStore>();
    platform::SetMessageBoxHandler([this](HWND, const char* text, const char* caption, UINT type) {
      m_boxes.push_back(Box{text ? text : "", caption ? caption : "", type});
      return IDOK;
    });
    m_savedGmt = g_bGmtMode;
    g_bGmtMode = 1;
  }
  void TearDown() override {
    RecordBuffer::FailAllocations(0, 0);
    platform::SetMessageBoxHandler(nullptr);
    g_bGmtMode = m_savedGmt;
    m_store.reset();
  }

  /** Puts an entry with the given cookie file bytes into the store; returns its local file. */
  std::string PutEntry(const std::string& url, const std::string& bytes,
                       DWORD type = COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY,
                       const std::string& header = "", uint64_t modified = 0, uint64_t expire = 0) {
    const std::string file =
        m_store->AddEntry(url, bytes, type, header, MakeFileTime(expire), MakeFileTime(modified));
    EXPECT_FALSE(file.empty()) << url;
    return file;
  }

  /** The stored record of a URL; false when the store has none. */
  static bool Stored(const std::string& url, platform::UrlCacheRecord& record) {
    return platform::FindUrlCacheEntry(url, record);
  }

  static std::vector<platform::UrlCacheRecord> AllStored() {
    std::vector<platform::UrlCacheRecord> records;
    EXPECT_TRUE(platform::ListUrlCacheEntries(records));
    return records;
  }

  /** Problems the store's own check finds (unreferenced files, missing files, ...). */
  static std::vector<std::string> StoreProblems() {
    platform::UrlCacheCheck check;
    EXPECT_TRUE(platform::CheckUrlCache(check));
    return check.problems;
  }

  std::unique_ptr<tolvane::test::TempStore> m_store;
  std::vector<Box> m_boxes;
  int m_savedGmt = 1;
};

}  // namespace modeltest
