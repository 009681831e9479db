// The catalogue over a Chromium profile, as the window drives it: times the window shows in
// whole seconds keep their microseconds, and a locked value is refused with a message.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/PersetCookie.h"
#include "model/SiteCacheList.h"
#include "platform/Hooks.h"
#include "platform/SecretService.h"
#include "platform/StoreErrors.h"
#include "support/ChromiumStore.h"

namespace tolvane::test {
namespace {

ChromiumTestRow Row(const std::string& name, ChromiumTestRow::Value kind) {
  ChromiumTestRow row;
  row.hostKey = "a.example";
  row.name = name;
  row.value = name + "-value";
  row.kind = kind;
  row.creation = 13441140538746152 + name.size();  // microseconds that no second holds
  row.expires = 13441745334746999;
  return row;
}

// The text the message box shows for an error code.
std::string MessageText(DWORD code) {
  LPSTR text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  const std::string result = text != nullptr ? text : "";
  LocalFree(text);
  return result;
}

class ChromiumModel : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageBoxHandler([this](HWND, const char* text, const char*, UINT) {
      m_boxes.push_back(text != nullptr ? text : "");
      return IDOK;
    });
    platform::SetSecretLookupHandler([](const std::string&) { return std::nullopt; });
  }
  void TearDown() override {
    platform::SetMessageBoxHandler(nullptr);
    platform::SetSecretLookupHandler(nullptr);
  }
  std::vector<std::string> m_boxes;
};

TEST_F(ChromiumModel, AnEditedValueLeavesEveryTimeToTheMicrosecond) {
  ChromiumStore store(
      {Row("one", ChromiumTestRow::Value::V10), Row("three", ChromiumTestRow::Value::Plain)});
  const auto before = store.File().Rows();
  SiteCacheList list;
  ASSERT_EQ(list.Load(), 1);
  SiteCache* entry = list.GetEntry(0);
  entry->GetVariable(0)->m_strValue = "edited";
  entry->GetVariable(0)->m_nState = kStateModified;
  entry->m_nState = kStateModified;
  ASSERT_EQ(list.CommitEntry(entry, true), 0) << platform::LastUrlCacheErrorDetail();
  EXPECT_TRUE(m_boxes.empty());
  const auto after = store.File().Rows();
  ASSERT_EQ(after.size(), 2u);
  for (const char* column : {"creation_utc", "expires_utc", "last_access_utc"}) {
    EXPECT_EQ(after[0].at(column), before[0].at(column)) << column;
  }
  EXPECT_NE(after[0].at("encrypted_value"), before[0].at("encrypted_value"));
  EXPECT_EQ(after[1], before[1]);
  EXPECT_EQ(entry->GetVariable(0)->m_strValue.str(), "edited");
}

TEST_F(ChromiumModel, ALockedValueIsShownAndItsEditRefusedWithAMessage) {
  ChromiumStore store(
      {Row("open", ChromiumTestRow::Value::V10), Row("locked", ChromiumTestRow::Value::V11)}, 24,
      "sekrit");
  const auto before = store.File().Rows();
  SiteCacheList list;
  ASSERT_EQ(list.Load(), 1);
  SiteCache* entry = list.GetEntry(0);
  PersetCookie* locked = entry->GetVariable(1);
  EXPECT_EQ(locked->m_strValue.str().rfind("[locked", 0), 0u) << locked->m_strValue.str();
  locked->m_strValue = "guess";
  locked->m_nState = kStateModified;
  entry->m_nState = kStateModified;
  EXPECT_EQ(list.CommitEntry(entry, true), -1);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], MessageText(ERROR_TOLVANE_VALUES_LOCKED));
  EXPECT_EQ(store.File().Rows(), before);
}

}  // namespace
}  // namespace tolvane::test
