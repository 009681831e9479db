// Other stores in the window: opening one (the dialog, a wrong location, unsaved edits) and
// writing the selected site's or every cookie to a cookies.txt.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "UiFixture.h"
#include "app/OpenStoreDlg.h"
#include "platform/StoreLocation.h"
#include "res/ResourceIds.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char kJar[] =
    "# Netscape HTTP Cookie File\n"
    ".jar.example\tTRUE\t/\tFALSE\t1893456000\tfrom\tjar\n"
    "other.example\tFALSE\t/x\tTRUE\t0\tsecond\t2\n";

class AppStoresTest : public UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    m_jar = m_store->Root() + "/jar.txt";
    std::ofstream(m_jar) << kJar;
    ::chmod(m_jar.c_str(), 0600);
  }

  /** Runs the open-store command; the dialog gets `location` typed and OK, then Cancel if it
   *  stays open. Whether the dialog ended by OK. */
  bool OpenStore(const std::string& location) {
    bool accepted = false;
    afx::SetModalHook([&](CDialog& dlg) {
      EXPECT_EQ(dlg.m_nIDTemplate, UINT(IDD_OPEN_STORE));
      dlg.SetDlgItemText(IDC_STORE_LOCATION, Sjis(location).c_str());
      static_cast<CButton*>(dlg.GetDlgItem(IDOK))->Click();
      accepted = dlg.IsEnded();
      if (!accepted) static_cast<CButton*>(dlg.GetDlgItem(IDCANCEL))->Click();
    });
    EXPECT_TRUE(Run(ID_STORE_OPEN));
    afx::SetModalHook(nullptr);
    return accepted;
  }

  std::vector<std::string> Sites() const {
    std::vector<std::string> sites;
    for (int i = 0; i < Catalogue()->GetSize(); ++i) {
      sites.push_back(Catalogue()->GetEntry(i)->m_strSite.str());
    }
    return sites;
  }

  std::string m_jar;
};

TEST_F(AppStoresTest, OpeningACookiesTxtShowsItsCookiesAndNamesItInTheTitle) {
  ASSERT_TRUE(OpenStore(m_jar));
  EXPECT_EQ(Sites(), (std::vector<std::string>{"jar.example/", "other.example/x"}));
  EXPECT_EQ(Utf8(Doc()->GetTitle().str()), m_jar);
  EXPECT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(0));
  EXPECT_TRUE(m_boxes.empty());
  // A value edited and committed in the window lands in the jar's line.
  Catalogue()->GetEntry(0)->GetVariable(0)->m_strValue = "edited";
  Catalogue()->GetEntry(0)->GetVariable(0)->m_nState = kStateModified;
  Catalogue()->GetEntry(0)->m_nState = kStateModified;
  ASSERT_TRUE(Run(ID_FILE_SAVE));
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_NE(ReadAll(m_jar).find(".jar.example\tTRUE\t/\tFALSE\t1893456000\tfrom\tedited\n"),
            std::string::npos);
}

TEST_F(AppStoresTest, ALocationThatNamesNoStoreKeepsTheDialogAndTheStore) {
  const std::vector<std::string> before = Sites();
  EXPECT_FALSE(OpenStore(m_store->Root() + "/missing.txt"));
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0].text.rfind("ｽﾄｱを開けません.\r\n", 0), 0u) << m_boxes[0].text;
  EXPECT_NE(m_boxes[0].text.find("missing.txt"), std::string::npos);
  EXPECT_EQ(Sites(), before);
}

TEST_F(AppStoresTest, UnsavedEditsAreAskedAboutAndNoKeepsThem) {
  PersetCookie* edited = Catalogue()->GetEntry(0)->GetVariable(0);
  edited->m_nState = kStateModified;
  Tree()->RefreshVariableItem(Tree()->FindVariableItem(TreeCtrl().GetRootItem(), edited), edited);
  Answer({IDNO});
  OpenStore(m_jar);
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{"変更が保存されませんが、よろしいですか？"});
  EXPECT_EQ(Sites().size(), 3u);  // still the store it had
  EXPECT_EQ(Catalogue()->GetEntry(0)->m_nState, kStateModified);
}

TEST_F(AppStoresTest, TheSelectedSiteOrEveryCookieGoesToACookiesTxt) {
  const std::string out = m_store->Root() + "/out.txt";
  afx::SetFileDialogHook([&](const afx::FileDialogRequest& request) {
    EXPECT_FALSE(request.open);
    EXPECT_EQ(request.fileName, "cookies.txt");
    return std::optional<CString>(CString(out));
  });
  // What the window shows goes out, an edit not yet committed included.
  Catalogue()->GetEntry(0)->GetVariable(1)->m_strValue = "unsaved";
  TreeCtrl().SelectItem(TreeCtrl().GetRootItem());
  ASSERT_TRUE(Run(ID_EXPORT_SITE_COOKIES_TXT));
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{"cookies.txt に 2 個のCookieを出力しました."});
  const std::string site = ReadAll(out);
  EXPECT_EQ(site.rfind("# Netscape HTTP Cookie File\n", 0), 0u);
  // Without the host-only bit a cookie is the domain's.
  EXPECT_NE(site.find(".a.example.com\tTRUE\t/\tFALSE\t1893456000\talpha\t1\n"), std::string::npos)
      << site;
  EXPECT_NE(site.find("\tbeta\tunsaved\n"), std::string::npos);
  EXPECT_EQ(site.find("gamma"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(::stat(out.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  ASSERT_TRUE(Run(ID_EXPORT_ALL_COOKIES_TXT));
  EXPECT_EQ(m_boxes.back().text, "cookies.txt に 6 個のCookieを出力しました.");
  EXPECT_NE(ReadAll(out).find("\tzeta\t6\n"), std::string::npos);
}

TEST_F(AppStoresTest, ACookieNoCookiesTxtCanHoldStopsTheWriteAndIsNamed) {
  const std::string out = m_store->Root() + "/out.txt";
  afx::SetFileDialogHook(
      [&](const afx::FileDialogRequest&) { return std::optional<CString>(CString(out)); });
  Catalogue()->GetEntry(1)->GetVariable(0)->m_strValue = Sjis("日本語");
  ASSERT_TRUE(Run(ID_EXPORT_ALL_COOKIES_TXT));
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0].text.rfind("cookies.txt の出力に失敗しました.\r\n", 0), 0u);
  EXPECT_NE(m_boxes[0].text.find("gamma (b.example.com/)"), std::string::npos) << m_boxes[0].text;
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(AppStoresTest, WritingASiteNeedsASelection) {
  TreeCtrl().SelectItem(nullptr);
  Frame()->UpdateCommandUI();
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_EXPORT_SITE_COOKIES_TXT));
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_EXPORT_ALL_COOKIES_TXT));
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_STORE_OPEN));
}

}  // namespace
}  // namespace tolvane::test
