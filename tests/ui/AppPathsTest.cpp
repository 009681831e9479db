// Paths with characters beyond ASCII, through the real window: the caption, the export and the
// file opened afterwards, and a store under a folder whose name CP932 cannot hold.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "UiFixture.h"
#include "platform/PathText.h"
#include "res/ResourceIds.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct FolderCase {
  const char* name;
  const char* folder;  // UTF-8, as the file system holds it
};

class AppPathsTest : public UiFixture, public testing::WithParamInterface<FolderCase> {
 protected:
  AppPathsTest() { m_startInSetUp = false; }
  void SetUp() override {
    UiFixture::SetUp();
    m_root = m_store->Root() + "/" + GetParam().folder + "/store";
    fs::create_directories(m_root);
    platform::SetUrlCacheRoot(m_root);
    UiFixture::FillStore();
    Start();
  }
  // Filled once the store has moved into the folder under test.
  void FillStore() override {}

  std::string m_root;
};

TEST_P(AppPathsTest, TheCaptionShowsTheStoreWhereItIs) {
  EXPECT_EQ(platform::PathFromProgram(Doc()->GetTitle().str()), m_root + "/Cookies");
  EXPECT_EQ(Catalogue()->GetSize(), 3);
  if (std::string(GetParam().name) == "Japanese") {
    EXPECT_EQ(Utf8(Doc()->GetTitle().str()), m_root + "/Cookies");  // readable as it is
  }
}

TEST_P(AppPathsTest, CommitsAndDeletesWorkUnderTheFolder) {
  SiteCache* entry = Catalogue()->GetEntry(0);
  entry->GetVariable(0)->m_strValue = "changed";
  entry->GetVariable(0)->m_nState = kStateModified;
  entry->m_nState = kStateModified;
  ASSERT_TRUE(Run(ID_FILE_SAVE));
  EXPECT_TRUE(m_boxes.empty()) << (m_boxes.empty() ? "" : m_boxes[0].text);
  EXPECT_EQ(Pairs(StoredFile("Cookie:user@a.example.com/"))[0], "alpha=changed");
  // The entry's file is where the record says, and it goes with the entry.
  const std::string file = platform::PathFromProgram(entry->m_strLocalFile.str());
  EXPECT_TRUE(fs::exists(file)) << file;
  TreeCtrl().SelectItem(TreeCtrl().GetRootItem());
  Answer({IDYES});
  ASSERT_TRUE(Run(ID_DELETE_ITEM));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(StoredFile("Cookie:user@a.example.com/"), "<missing>");
}

TEST_P(AppPathsTest, TheExportIsWrittenAndOpenedWhereTheUserChose) {
  const std::string folder = m_store->Root() + "/" + GetParam().folder + "/書類";
  fs::create_directories(folder);
  const std::string out = folder + "/cookies.txt";
  afx::SetFileDialogHook([&](const afx::FileDialogRequest&) {
    return std::optional<CString>(CString(platform::PathToProgram(out)));
  });
  Answer({IDYES});  // open it
  ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
  ASSERT_TRUE(fs::exists(out));
  ASSERT_EQ(m_opened, std::vector<std::string>{"open " + out});
  // The export is CP932 text: the local file lines hold the program's form of the path.
  const std::string text = ReadAll(out);
  EXPECT_NE(text.find("LocalFile\t" + platform::PathToProgram(m_root + "/Cookies/")),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Folders, AppPathsTest,
                         testing::Values(FolderCase{"Japanese", "ユーザー"},
                                         FolderCase{"Korean", "사용자"},
                                         FolderCase{"emoji", "クッキー🍪"}),
                         [](const testing::TestParamInfo<FolderCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tolvane::test
