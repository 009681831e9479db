// The text export: the file dialog it asks, the file it writes (CR LF line ends, compared with a
// golden file), the question after it, and the failures it must not pass off as success.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "UiFixture.h"
#include "res/ResourceIds.h"

namespace tolvane::test {
namespace {

const char kDone[] = "出力が完了しました.\r\nﾌｧｲﾙを開きますか?";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string DataPath(const std::string& name) {
  return std::string(TOLVANE_SOURCE_DIR) + "/tests/ui/data/" + name;
}

class AppExportTest : public UiFixture {
 protected:
  void FillStore() override {
    AddSite("a.example.com/", CookieRecord("alpha", "1", "a.example.com/", 0x1) +
                                  CookieRecord("beta", "%20two", "a.example.com/path/", 0x2000));
    // Japanese bytes go out exactly as stored.
    AddSite("b.example.com/", CookieRecord(Sjis("名前"), Sjis("日本語"), "b.example.com/"));
    // An entry with header bytes and no variables.
    ASSERT_FALSE(m_store
                     ->AddEntry("Cookie:user@c.example.com/", "",
                                NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY, "HTTP/1.0 200 OK\r\n\r\n",
                                FILETIME{0xA005C000u, 0x01E0F6C0u},
                                FILETIME{0x7689C000u, 0x01DA3C45u})
                     .empty());
  }

  void SetUp() override {
    UiFixture::SetUp();
    m_out = m_store->Root() + "/out";
    std::filesystem::create_directory(m_out);
  }

  /** Runs the export command with the file dialog answering path (nullopt: Cancel). */
  void Export(std::optional<std::string> path) {
    afx::SetFileDialogHook([this, path](const afx::FileDialogRequest& request) {
      m_request = request;
      return path ? std::optional<CString>(CString(*path)) : std::nullopt;
    });
    ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
  }

  /** The export with what changes from run to run (the store folder, the access and sync times
   *  the store stamps) replaced by fixed marks. */
  std::string Normalised(const std::string& text) const {
    std::string result;
    const std::string& root = m_store->Root();
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      std::string line = text.substr(start, end - start);
      for (size_t at; (at = line.find(root)) != std::string::npos;) {
        line.replace(at, root.size(), "<store>");
      }
      if (line.rfind("AccessTime\t", 0) == 0 || line.rfind("LastSyncTime\t", 0) == 0) {
        line = line.substr(0, line.find('\t') + 1) + "<stamped>";
      } else if (line.rfind("LocalFile\t<store>/", 0) == 0) {
        line = "LocalFile\t<store>/.../" + line.substr(line.rfind('/') + 1);
      }
      result += line + "\r\n";
    }
    return result + text.substr(start);
  }

  std::string m_out;
  afx::FileDialogRequest m_request{};
};

TEST_F(AppExportTest, AsksForATextFileWithTheFilterAndFlags) {
  Export(std::nullopt);
  EXPECT_FALSE(m_request.open);
  EXPECT_EQ(m_request.defaultExt.str(), "txt");
  EXPECT_TRUE(m_request.fileName.IsEmpty());
  EXPECT_EQ(Utf8(m_request.filter.str()), "ﾃｷｽﾄﾌｧｲﾙ (*.TXT)|*.txt|全て(*.*)|*.*||");
  EXPECT_EQ(m_request.flags, 0x00A9A80Eu);
  EXPECT_TRUE(m_boxes.empty());  // cancelled: nothing written, nothing asked
}

TEST_F(AppExportTest, WritesTheGoldenFileWithCrLfAndOffersToOpenIt) {
  const std::string path = m_out + "/cookies.txt";
  Answer({IDYES});
  Export(path);
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{kDone});
  EXPECT_EQ(m_boxes[0].type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(m_opened, std::vector<std::string>{"open " + path});

  const std::string text = ReadAll(path);
  // Every LF has a CR before it, as text mode writes them (a CR LF inside the data becomes
  // CR CR LF).
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << at;
  }
  if (std::getenv("TOLVANE_WRITE_GOLDEN") != nullptr) {
    std::ofstream(DataPath("export.txt"), std::ios::binary) << Normalised(text);
  }
  const std::string golden = ReadAll(DataPath("export.txt"));
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(Normalised(text), golden);
}

TEST_F(AppExportTest, ANewExportFileIsReadableByItsOwnerOnly) {
  const std::string path = m_out + "/private.txt";
  Export(path);
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(AppExportTest, NoToTheQuestionOpensNothing) {
  Answer({IDNO});
  Export(m_out + "/cookies.txt");
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kDone});
  EXPECT_TRUE(m_opened.empty());
}

class AppEmptyExportTest : public AppExportTest {
 protected:
  void FillStore() override {}
};

TEST_F(AppEmptyExportTest, EmptyCatalogueWritesSeparatorsAndHeaderLinesOnly) {
  const std::string path = m_out + "/empty.txt";
  Export(path);
  EXPECT_EQ(ReadAll(path),
            "=============================\r\n"
            " Tolvane Version 1.00\r\n"
            " Cookie Text Export\r\n"
            "=============================\r\n");
}

struct FailureCase {
  const char* name;
  std::string (*path)(const std::string& out);
  const char* reason;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class AppExportFailureTest : public AppExportTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(AppExportFailureTest, AFailedExportSaysSoAndNeverReportsCompletion) {
  const FailureCase& c = GetParam();
  const std::string path = c.path(m_out);
  Export(path);
  ASSERT_EQ(m_boxes.size(), 1u) << c.name;
  EXPECT_EQ(m_boxes[0].text, "ﾃｷｽﾄ形式の出力に失敗しました.\r\n" + path + "\r\n" + c.reason);
  EXPECT_EQ(m_boxes[0].type & MB_ICONMASK, MB_ICONSTOP);
  EXPECT_TRUE(m_opened.empty());
}

INSTANTIATE_TEST_SUITE_P(Paths, AppExportFailureTest,
                         ::testing::Values(FailureCase{"missing folder",
                                                       [](const std::string& out) {
                                                         return out + "/no/such/folder/x.txt";
                                                       },
                                                       "指定されたﾌｫﾙﾀﾞが見つかりません."},
                                           FailureCase{"full disk",
                                                       [](const std::string& out) {
                                                         // The dialog adds ".txt" to a bare name,
                                                         // so reach the full device through a link
                                                         // that already has it.
                                                         const std::string link = out + "/full.txt";
                                                         std::filesystem::create_symlink(
                                                             "/dev/full", link);
                                                         return link;
                                                       },
                                                       "ﾃﾞｨｽｸの空き容量が足りません."},
                                           FailureCase{"a folder",
                                                       [](const std::string& out) {
                                                         std::filesystem::create_directory(
                                                             out + "/folder.txt");
                                                         return out + "/folder.txt";
                                                       },
                                                       "指定された名前はﾌｫﾙﾀﾞです."}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name) {
                             if (ch == ' ') ch = '_';
                           }
                           return name;
                         });

TEST_F(AppExportTest, ReadOnlyFolderIsReportedUnlessRunningAsRoot) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
  chmod(m_out.c_str(), 0500);
  Export(m_out + "/x.txt");
  chmod(m_out.c_str(), 0700);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_NE(m_boxes[0].text.find("ﾌｧｲﾙに書き込む権限がありません."), std::string::npos);
}

}  // namespace
}  // namespace tolvane::test
