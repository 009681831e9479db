#include <gtest/gtest.h>
#include <iconv.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Hooks.h"
#include "platform/SystemMessages.h"
#include "support/TempStore.h"

namespace {

using tolvane::test::TempStore;

// The host's converter, as the oracle for the CP932 message texts.
std::string Cp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  std::string out(utf8.size() * 2, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size(), outLeft = out.size();
  char* cursor = out.data();
  iconv(cd, &in, &inLeft, &cursor, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

std::string SystemText(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
      nullptr);
  std::string result = length > 0 ? std::string(text, length) : std::string();
  LocalFree(text);
  return result;
}

TEST(Messages, SystemTextsAreJapaneseInCp932) {
  EXPECT_EQ(SystemText(ERROR_FILE_NOT_FOUND), Cp932("指定されたファイルが見つかりません。\r\n"));
  EXPECT_EQ(SystemText(ERROR_NO_MORE_ITEMS), Cp932("データはこれ以上ありません。\r\n"));
  EXPECT_EQ(SystemText(ERROR_INSUFFICIENT_BUFFER),
            Cp932("システム コールに渡されるデータ領域が小さすぎます。\r\n"));
  // Every code the layer sets has a text.
  for (DWORD code : {2,  3,  4,  5,   6,   8,   13,  14,  29,  30,   31,   32,
                     39, 80, 87, 112, 122, 123, 183, 206, 259, 1359, 1392, 4313}) {
    EXPECT_GT(SystemText(code).size(), 2u) << code;
  }
}

TEST(Messages, EveryTextMatchesTheHostConverter) {
  const std::vector<platform::SystemMessage> all = platform::SystemMessages();
  ASSERT_GE(all.size(), 27u);
  for (const platform::SystemMessage& message : all) {
    const std::string expected = Cp932(std::string(message.utf8) + "\r\n");
    EXPECT_EQ(SystemText(message.code), expected) << message.code;
  }
}

TEST(Messages, UnknownCodeAndSmallBufferFailAsOnWindows) {
  EXPECT_EQ(SystemText(12345), "");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
  char small[4];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 0, small, sizeof small, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char big[256];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 0, big, sizeof big, nullptr),
            SystemText(2).size());
}

TEST(Files, CreationDispositionsAndTheirErrors) {
  TempStore store;
  const std::string path = store.Root() + "/f.txt";
  const std::string missingFolder = store.Root() + "/no/f.txt";
  const struct {
    std::string path;
    DWORD disposition;
    bool ok;
    DWORD error;
  } steps[] = {
      {path, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND},
      {missingFolder, CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND},
      {path, CREATE_NEW, true, ERROR_SUCCESS},
      {path, CREATE_NEW, false, ERROR_FILE_EXISTS},
      {path, CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS},
      {path, OPEN_EXISTING, true, ERROR_SUCCESS},
      {store.Root(), OPEN_EXISTING, false, ERROR_ACCESS_DENIED},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.path + " " + std::to_string(step.disposition));
    SetLastError(12345);
    HANDLE file = CreateFileA(step.path.c_str(), GENERIC_WRITE, 0, nullptr, step.disposition,
                              FILE_ATTRIBUTE_ARCHIVE, nullptr);
    EXPECT_EQ(file != INVALID_HANDLE_VALUE, step.ok);
    EXPECT_EQ(GetLastError(), step.error);
    if (file != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(file));
    }
  }
  EXPECT_TRUE(DeleteFileA(path.c_str()));
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(Files, StaleAndForeignHandlesFailWithoutHarm) {
  TempStore store;
  HANDLE file = CreateFileA((store.Root() + "/f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            0, nullptr);
  ASSERT_TRUE(CloseHandle(file));
  int local = 0;
  for (HANDLE bad :
       {file, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, static_cast<HANDLE>(&local)}) {
    DWORD written = 7;
    EXPECT_FALSE(WriteFile(bad, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(CloseHandle(bad));
    DWORD length = 1;
    char byte;
    EXPECT_FALSE(ReadUrlCacheEntryStream(bad, 0, &byte, &length, 0));
    EXPECT_FALSE(FindCloseUrlCache(bad));
  }
}

TEST(Hooks, MessageBoxAnswersTheDefaultButtonOrTheInstalledHandler) {
  const struct {
    UINT type;
    int answer;
  } cases[] = {{MB_OK, IDOK},
               {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
               {MB_YESNO | MB_ICONQUESTION, IDYES},
               {MB_YESNO | MB_DEFBUTTON2, IDNO},
               {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL}};
  for (const auto& c : cases) EXPECT_EQ(MessageBoxA(nullptr, "t", "c", c.type), c.answer);
  std::string seen;
  platform::SetMessageBoxHandler([&](HWND, const char* text, const char* caption, UINT type) {
    seen = std::string(caption) + "|" + text + "|" + std::to_string(type);
    return IDNO;
  });
  EXPECT_EQ(MessageBoxA(nullptr, "\x83\x65", "Error", MB_ICONINFORMATION), IDNO);
  EXPECT_EQ(seen, "Error|\x83\x65|64");
  platform::SetMessageBoxHandler({});
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
}

TEST(Hooks, ShellExecuteGoesToTheHandlerAndReportsAsWindowsDoes) {
  std::string seen;
  platform::SetShellExecuteHandler([&](const char* verb, const char* file) {
    seen = std::string(verb) + " " + file;
    return std::strcmp(file, "/ok") == 0;
  });
  EXPECT_GT(
      reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, "open", "/ok", nullptr, nullptr, SW_SHOW)),
      32);
  EXPECT_EQ(seen, "open /ok");
  EXPECT_LE(
      reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, nullptr, "/no", nullptr, nullptr, SW_SHOW)),
      32);
  EXPECT_EQ(seen, "open /no");
  platform::SetShellExecuteHandler({});
  EXPECT_EQ(reinterpret_cast<intptr_t>(
                ShellExecuteA(nullptr, "open", "/nonexistent/file", nullptr, nullptr, SW_SHOW)),
            2);
}

TEST(Shell, CookieFolderLookup) {
  TempStore store;
  char path[MAX_PATH] = "unchanged";
  EXPECT_EQ(SHGetFolderPathA(nullptr, 0x0005, nullptr, 0, path), E_INVALIDARG);
  EXPECT_STREQ(path, "unchanged");
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_COOKIES | 0x8000, nullptr, 0, path), S_OK);
  EXPECT_EQ(path, store.CookieFolder());
}

TEST(SplitPath, BothSeparatorsAndCp932TrailBytes) {
  const struct {
    const char* path;
    const char* drive;
    const char* dir;
    const char* fname;
    const char* ext;
  } cases[] = {
      {"C:\\Windows\\Cookies\\user@site[1].txt", "C:", "\\Windows\\Cookies\\", "user@site[1]",
       ".txt"},
      {"/home/u/.local/share/c/user@a.b[2].TXT", "", "/home/u/.local/share/c/", "user@a.b[2]",
       ".TXT"},
      {"mixed/dir\\name", "", "mixed/dir\\", "name", ""},
      {"\x95\x5C\\\x95\x5C.txt", "", "\x95\x5C\\", "\x95\x5C", ".txt"},  // 表\表.txt
      {"dir.d/noext", "", "dir.d/", "noext", ""},
      {".hidden", "", "", "", ".hidden"},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    _splitpath(c.path, drive, dir, fname, ext);
    EXPECT_STREQ(drive, c.drive);
    EXPECT_STREQ(dir, c.dir);
    EXPECT_STREQ(fname, c.fname);
    EXPECT_STREQ(ext, c.ext);
    _splitpath(c.path, nullptr, nullptr, fname, nullptr);  // any part may be left out
    EXPECT_STREQ(fname, c.fname);
  }
}

}  // namespace
