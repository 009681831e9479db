// The whole program's window in-process for one test: a private store in a temporary folder,
// filled by FillStore(), the resources registered, a fresh CTolvaneApp started through
// InitInstance, and message boxes answered by a script and recorded. Everything is torn down
// after each test.
#pragma once

#include <gtest/gtest.h>
#include <wininet.h>

#include <QCoreApplication>
#include <deque>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "afx/Afx.h"
#include "app/MainFrame.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "codec/Cp932.h"
#include "detail/TolvaneView.h"
#include "model/SiteCacheList.h"
#include "model/TimeText.h"
#include "platform/Hooks.h"
#include "res/ProgramResources.h"
#include "support/TempStore.h"
#include "tree/LeftView.h"

namespace tolvane::test {

/** A message box the program showed; texts converted to UTF-8. */
struct UiBox {
  std::string text;
  std::string caption;
  UINT type;
};

/** UTF-8 source text as the program's CP932. */
inline std::string Sjis(std::string_view utf8) { return codec::Utf8ToCp932(utf8); }
/** CP932 bytes as UTF-8, for readable comparisons. */
inline std::string Utf8(std::string_view cp932) { return codec::Cp932ToUtf8(cp932); }

/** One nine-line record of a cookie file. */
inline std::string CookieRecord(const std::string& name, const std::string& value,
                                const std::string& domain, DWORD flags = 0,
                                FILETIME expire = {0xA005C000u, 0x01E0F6C0u},      // 2030-01-01
                                FILETIME modified = {0x7689C000u, 0x01DA3C45u}) {  // 2024-01-01
  auto n = [](DWORD v) { return std::to_string(v); };
  return name + "\n" + value + "\n" + domain + "\n" + n(flags) + "\n" + n(expire.dwLowDateTime) +
         "\n" + n(expire.dwHighDateTime) + "\n" + n(modified.dwLowDateTime) + "\n" +
         n(modified.dwHighDateTime) + "\n*\n";
}

class UiFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    m_store = std::make_unique<TempStore>();
    platform::SetMessageBoxHandler([this](HWND, const char* text, const char* caption, UINT type) {
      m_boxes.push_back(UiBox{Utf8(text ? text : ""), Utf8(caption ? caption : ""), type});
      if (!m_answers.empty()) {
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
      }
      return DefaultAnswer(type);
    });
    platform::SetShellExecuteHandler([this](const char* verb, const char* file) {
      m_opened.push_back(std::string(verb ? verb : "") + " " + (file ? file : ""));
      return true;
    });
    g_bGmtMode = 1;
    FillStore();
    afx::RegisterResources(res::Resources());
    if (m_startInSetUp) Start();
  }

  void TearDown() override {
    Stop();
    afx::ResetHooks();
    platform::SetShellExecuteHandler(nullptr);
    platform::SetMessageBoxHandler(nullptr);
    g_bGmtMode = 1;
    m_store.reset();
  }

  /** The store's contents before start-up; the default is three small sites. */
  virtual void FillStore() {
    AddSite("a.example.com/", CookieRecord("alpha", "1", "a.example.com/") +
                                  CookieRecord("beta", "2", "a.example.com/"));
    AddSite("b.example.com/", CookieRecord("gamma", "3", "b.example.com/"));
    AddSite("c.example.com/", CookieRecord("delta", "4", "c.example.com/") +
                                  CookieRecord("epsilon", "5", "c.example.com/") +
                                  CookieRecord("zeta", "6", "c.example.com/"));
  }

  /** Adds a cookie entry "Cookie:user@<site>" with the given cookie file bytes. */
  void AddSite(const std::string& site, const std::string& file,
               const std::string& user = "user") const {
    const std::string url = "Cookie:" + user + "@" + site;
    ASSERT_FALSE(m_store->AddEntry(url, file).empty()) << url;
  }

  /** Name and value of each record of a cookie file, "name=value". */
  static std::vector<std::string> Pairs(const std::string& file) {
    std::vector<std::string> lines, pairs;
    size_t start = 0;
    for (size_t end; (end = file.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(file.substr(start, end - start));
    }
    for (size_t i = 0; i + 1 < lines.size(); i += 9) pairs.push_back(lines[i] + "=" + lines[i + 1]);
    return pairs;
  }

  /** The cookie file the store holds for a URL, or "<missing>". */
  static std::string StoredFile(const std::string& url) {
    platform::UrlCacheRecord record;
    if (!platform::FindUrlCacheEntry(url, record)) return "<missing>";
    std::ifstream in(record.localFile, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  /** Constructs a fresh application and runs its start-up. */
  void Start() {
    m_app = std::make_unique<CTolvaneApp>();
    ASSERT_TRUE(m_app->InitInstance());
    Pump();
  }

  /** Closes the document with its frame and views (no question), then the application. */
  void Stop() {
    if (m_app) {
      if (CTolvaneDoc* doc = Doc()) doc->OnCloseDocument();
      Pump();
      m_app->ExitInstance();
      m_app.reset();
    }
  }

  /** Lets posted messages and deferred deletions run. */
  static void Pump() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }

  CTolvaneApp* App() const { return m_app.get(); }
  CMainFrame* Frame() const {
    return m_app ? dynamic_cast<CMainFrame*>(m_app->m_pMainWnd) : nullptr;
  }
  CTolvaneDoc* Doc() const {
    CMainFrame* frame = Frame();
    return frame ? dynamic_cast<CTolvaneDoc*>(frame->GetActiveDocument()) : nullptr;
  }
  CLeftView* Tree() const {
    CMainFrame* frame = Frame();
    return frame ? dynamic_cast<CLeftView*>(frame->GetSplitter().GetPane(0, 0)) : nullptr;
  }
  CTolvaneView* Detail() const {
    CMainFrame* frame = Frame();
    return frame ? dynamic_cast<CTolvaneView*>(frame->GetSplitter().GetPane(0, 1)) : nullptr;
  }
  SiteCacheList* Catalogue() const { return Doc() ? Doc()->m_pCatalogue : nullptr; }
  CTreeCtrl& TreeCtrl() const { return Tree()->GetTreeCtrl(); }

  /**
   * Runs a command as a menu click or its key does: the frame refuses a disabled command. Then
   * checks that the tree still mirrors the catalogue. False when the command was refused.
   */
  bool Run(UINT id) {
    SCOPED_TRACE(testing::Message() << "after command " << id);
    const bool ran = Frame()->ExecuteCommand(id) != FALSE;
    ExpectTreeMirrorsCatalogue();
    return ran;
  }

  /**
   * One site item per entry and one child per variable, in catalogue order: each item's text,
   * its data (the record itself) and its overlay (the record's state when loading or modified).
   */
  void ExpectTreeMirrorsCatalogue() const {
    if (Tree() == nullptr || Catalogue() == nullptr) return;  // the window is closing
    const CTreeCtrl& tree = TreeCtrl();
    auto expectItem = [&](HTREEITEM item, const CObject* record, const CString& text, int state) {
      EXPECT_EQ(tree.GetItemData(item), reinterpret_cast<DWORD_PTR>(record));
      EXPECT_EQ(tree.GetItemText(item), text);
      const int overlay = state == kStateLoading || state == kStateModified ? state : 0;
      EXPECT_EQ(int(tree.GetItemState(item, TVIS_OVERLAYMASK) >> 8), overlay);
    };
    HTREEITEM site = tree.GetRootItem();
    for (int i = 0; i < Catalogue()->GetSize(); ++i, site = tree.GetNextSiblingItem(site)) {
      SCOPED_TRACE(testing::Message() << "entry " << i);
      const SiteCache* entry = Catalogue()->GetEntry(i);
      ASSERT_NE(site, nullptr);
      expectItem(site, entry, entry->m_strSite, entry->m_nState);
      HTREEITEM child = tree.GetChildItem(site);
      for (int j = 0; j < entry->GetSize(); ++j, child = tree.GetNextSiblingItem(child)) {
        SCOPED_TRACE(testing::Message() << "variable " << j);
        const PersetCookie* variable = entry->GetVariable(j);
        ASSERT_NE(child, nullptr);
        expectItem(child, variable, variable->m_strName, variable->m_nState);
      }
      EXPECT_EQ(child, nullptr) << "items beyond the entry's variables";
    }
    EXPECT_EQ(site, nullptr) << "items beyond the catalogue's entries";
  }

  /** Makes the given pane the active view, as a click into it would. */
  void Activate(CView* view) const { Frame()->SetActiveView(view); }

  /** Answers for the next message boxes, in order; after them each box gets its default. */
  void Answer(std::initializer_list<int> answers) {
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
  }

  /** The default button of a box type. */
  static int DefaultAnswer(UINT type) {
    const UINT buttons = type & MB_TYPEMASK;
    const bool second = (type & MB_DEFMASK) == MB_DEFBUTTON2;
    if (buttons == MB_YESNO) return second ? IDNO : IDYES;
    if (buttons == MB_OKCANCEL) return second ? IDCANCEL : IDOK;
    return IDOK;
  }

  /** Texts of the boxes shown so far (UTF-8). */
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const UiBox& box : m_boxes) texts.push_back(box.text);
    return texts;
  }

  std::unique_ptr<TempStore> m_store;
  std::unique_ptr<CTolvaneApp> m_app;
  std::vector<UiBox> m_boxes;
  std::deque<int> m_answers;
  std::vector<std::string> m_opened;  // "verb path" of each shell open
  bool m_startInSetUp = true;         // set false in a constructor to call Start() yourself
};

}  // namespace tolvane::test
