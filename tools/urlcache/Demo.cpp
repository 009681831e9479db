// The demo store: sites that show every kind of data the program must cope with.
#include <wininet.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "Text.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"

namespace urlcache {
namespace {

constexpr DWORD kCookieType = NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY;
const char kHeader[] = "HTTP/1.0 200 OK\r\nP3P: CP=\"CAO PSA OUR\"\r\n\r\n";

FILETIME Ft(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
            DWORD extraTicks = 0) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  const uint64_t ticks = ((uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime) + extraTicks;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// One cookie file, record by record, numbers as WinINet writes them (unsigned) unless asked
// for the signed form the program itself writes.
class CookieFile {
 public:
  CookieFile& Record(const std::string& name, const std::string& value, const std::string& domain,
                     DWORD flags, FILETIME expire, FILETIME modified, bool signedForm = false,
                     const std::string& terminator = "*") {
    m_text += name + "\n" + value + "\n" + domain + "\n" + Number(flags, signedForm) + "\n";
    m_text += Number(expire.dwLowDateTime, signedForm) + "\n" +
              Number(expire.dwHighDateTime, signedForm) + "\n";
    m_text += Number(modified.dwLowDateTime, signedForm) + "\n" +
              Number(modified.dwHighDateTime, signedForm) + "\n";
    m_text += terminator + "\n";
    return *this;
  }
  CookieFile& Raw(const std::string& bytes) {
    m_text += bytes;
    return *this;
  }
  const std::string& Text() const { return m_text; }

 private:
  static std::string Number(DWORD value, bool signedForm) {
    return signedForm ? std::to_string(static_cast<int32_t>(value)) : std::to_string(value);
  }
  std::string m_text;
};

struct Site {
  std::string url;
  CookieFile file;
  DWORD type = kCookieType;
  std::string header = kHeader;
  int hits = 0;
  bool hasFile = true;
  FILETIME expire = Ft(2030, 12, 31, 23, 59, 59);
  FILETIME modified = Ft(2024, 5, 1, 9, 30, 0);
};

const FILETIME kExpire = Ft(2031, 3, 14, 15, 5, 0, 2152842627u);  // low half above 2^31
const FILETIME kModified = Ft(2024, 4, 1, 12, 0, 0, 1234567);

std::vector<Site> Sites() {
  std::vector<Site> sites;
  auto add = [&sites](std::string url) -> Site& {
    sites.emplace_back();
    sites.back().url = std::move(url);
    return sites.back();
  };
  add("Cookie:user@www.example.com/")
      .file.Record("SID", "31d4d96e407aad42", "www.example.com/", 0, kExpire, kModified)
      .Record("lang", "ja", "www.example.com/", 0, kExpire, kModified)
      .Record("prefs", "a%3Db%26c%3Dd%20e", "www.example.com/", 0x400, kExpire, kModified, false,
              "/");
  add("Cookie:user@news.example.com/world/")
      .file.Record("greeting", "hello%20world%21%7E", "news.example.com/world/", 0x1, kExpire,
                   kModified);
  // 名前 = 日本語テキスト, こんにちは世界, ｶﾀｶﾅ in each Japanese encoding.
  add("Cookie:user@euc.example.jp/")
      .file
      .Record("%CC%BE%C1%B0", "%C6%FC%CB%DC%B8%EC%A5%C6%A5%AD%A5%B9%A5%C8", "euc.example.jp/", 0,
              kExpire, kModified)
      .Record("hello", "%A4%B3%A4%F3%A4%CB%A4%C1%A4%CF%C0%A4%B3%A6", "euc.example.jp/", 0, kExpire,
              kModified)
      .Record("kana", "%8E%B6%8E%C0%8E%B6%8E%C5", "euc.example.jp/", 0, kExpire, kModified);
  add("Cookie:user@sjis.example.jp/")
      .file
      .Record("%96%BC%91O", "%93%FA%96%7B%8C%EA%83e%83L%83X%83g", "sjis.example.jp/", 0, kExpire,
              kModified)
      .Record("hello", "%82%B1%82%F1%82%C9%82%BF%82%CD%90%A2%8AE", "sjis.example.jp/", 0, kExpire,
              kModified)
      .Record("kana", "%B6%C0%B6%C5", "sjis.example.jp/", 0, kExpire, kModified);
  add("Cookie:user@jis.example.jp/")
      .file
      .Record("%1B%24BL%3EA0%1B%28B", "%1B%24BF%7CK%5C8l%25F%25%2D%259%25H%1B%28B",
              "jis.example.jp/", 0, kExpire, kModified)
      .Record("hello", "%1B%24B%243%24s%24K%24A%24O%40%243%26%1B%28B", "jis.example.jp/", 0,
              kExpire, kModified);
  add("Cookie:user@utf8.example.com/")
      .file
      .Record("%E5%90%8D%E5%89%8D",
              "%E6%97%A5%E6%9C%AC%E8%AA%9E%E3%83%86%E3%82%AD%E3%82%B9%E3%83%88",
              "utf8.example.com/", 0, kExpire, kModified)
      .Record("hello", "%E3%81%93%E3%82%93%E3%81%AB%E3%81%A1%E3%81%AF%E4%B8%96%E7%95%8C",
              "utf8.example.com/", 0, kExpire, kModified)
      .Record("kana", "%EF%BD%B6%EF%BE%80%EF%BD%B6%EF%BE%85", "utf8.example.com/", 0, kExpire,
              kModified);
  // Site text 日本語サイト.example in CP932.
  add("Cookie:user@\x93\xFA\x96\x7B\x8C\xEA\x83\x54\x83\x43\x83\x67.example/")
      .file.Record("visit", "1", "\x93\xFA\x96\x7B\x8C\xEA\x83\x54\x83\x43\x83\x67.example/", 0,
                   kExpire, kModified);
  add("Cookie:user@crlf.example.com/")
      .file.Record("token", "abc123\r", "crlf.example.com/", 0, kExpire, kModified);
  add("Cookie:user@flags.example.com/")
      .file.Record("odd", "bits", "flags.example.com/", 0x0000100C, kExpire, kModified)
      .Record("both", "1", "flags.example.com/", 0x003, kExpire, kModified)
      .Record("all", "1", "flags.example.com/", 0xFFF, kExpire, kModified)
      .Record("high", "1", "flags.example.com/", 0x80000200, kExpire, kModified);
  add("Cookie:user@bigtime.example.com/")
      .file
      .Record("unsigned", "1", "bigtime.example.com/", 0, FILETIME{2743031808u, 31000000},
              kModified)
      .Record("signed", "1", "bigtime.example.com/", 0, FILETIME{2743031808u, 31000000}, kModified,
              true);
  add("Cookie:user@noheader.example.com/")
      .file.Record("plain", "1", "noheader.example.com/", 0, kExpire, kModified);
  sites.back().header.clear();
  add("Cookie:user@truncated.example.com/")
      .file.Record("whole", "1", "truncated.example.com/", 0, kExpire, kModified)
      .Raw("cut\nshort\ntruncated.example.com/\n0\n");
  add("Cookie:user@nolf.example.com/")
      .file.Record("whole", "1", "nolf.example.com/", 0, kExpire, kModified)
      .Raw("dangling");
  add("Cookie:user@empty.example.com/");
  add("Cookie:user@never.example.com/")
      .file.Record("far", "1", "never.example.com/", 0, FILETIME{0, 0x80000000u}, FILETIME{0, 0});
  sites.back().expire = FILETIME{0xFFFFFFFFu, 0xFFFFFFFFu};
  add("Cookie:user@nocookiebit.example.com/")
      .file.Record("hidden", "1", "nocookiebit.example.com/", 0, kExpire, kModified);
  sites.back().type = NORMAL_CACHE_ENTRY;
  add("Cookie:noatsign.example.com/")
      .file.Record("anon", "1", "noatsign.example.com/", 0, kExpire, kModified);
  add("Cookie:user@session.example.org/")
      .file.Record("s", "1", "session.example.org/", 0x202, kExpire, kModified);
  sites.back().type |= STICKY_CACHE_ENTRY | EDITED_CACHE_ENTRY;
  add("Cookie:user@long.example.com/")
      .file.Record("big", std::string(2000, 'x'), "long.example.com/", 0, kExpire, kModified);
  add("Visited:user@http://www.example.com/");
  sites.back().type = URLHISTORY_CACHE_ENTRY | NORMAL_CACHE_ENTRY;
  sites.back().hasFile = false;
  for (int n = 1; n <= 10; ++n) {
    Site& site = add("Cookie:user@shop" + std::to_string(n) + ".example.net/");
    const std::string domain = "shop" + std::to_string(n) + ".example.net/";
    for (int k = 0; k < 1 + n % 4; ++k) {
      site.file.Record("item" + std::to_string(k), std::to_string(n * 1000 + k * 7), domain,
                       k % 2 ? 0x1 : 0x0, Ft(2025 + n, 1 + n, 1 + k, n, k, 0, 4242 * n),
                       Ft(2024, 1 + k, n, 8, 0, 0, 77 * n));
    }
    site.hits = n % 5;
    site.modified = Ft(2024, n, 10 + n, 10, 0, 0);
    site.expire = Ft(2026, 12 - n, 1);
  }
  return sites;
}

bool AddSite(const Site& site) {
  char file[MAX_PATH] = "";
  if (site.hasFile) {
    if (!CreateUrlCacheEntryA(site.url.c_str(), 0, "TXT", file, 0)) return false;
    HANDLE handle = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const std::string& text = site.file.Text();
    DWORD written = 0;
    const bool wrote =
        text.empty() ||
        (WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size());
    if (!CloseHandle(handle) || !wrote) return false;
  }
  std::string header = site.header;
  if (!CommitUrlCacheEntryA(site.url.c_str(), file, site.expire, site.modified, site.type,
                            reinterpret_cast<LPBYTE>(header.data()),
                            static_cast<DWORD>(header.size()), nullptr, site.url.c_str())) {
    return false;
  }
  for (int hit = 0; hit < site.hits; ++hit) {
    std::vector<char> buffer(4096 + site.url.size());
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!RetrieveUrlCacheEntryFileA(site.url.c_str(),
                                    reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data()),
                                    &size, 0)) {
      return false;
    }
    UnlockUrlCacheEntryFile(site.url.c_str(), 0);
  }
  return true;
}

}  // namespace

int Demo() {
  platform::StoreLocation location;
  std::string problem;
  if (!platform::CurrentStoreLocation(location, problem)) {
    std::fprintf(stderr, "urlcache: %s\n", Printable(problem).c_str());
    return kExitFailure;
  }
  if (location.kind != platform::StoreKind::UrlCache) {
    std::fprintf(stderr, "urlcache: demo fills only a store of Tolvane's own, not %s\n",
                 Printable(location.Text()).c_str());
    return kExitFailure;
  }
  std::vector<platform::UrlCacheRecord> existing;
  if (!platform::ListUrlCacheEntries(existing)) return ReportFailure("cannot read the store");
  if (!existing.empty()) {
    std::fprintf(
        stderr,
        "urlcache: the store in %s already has %zu entries; demo fills only an empty store\n",
        platform::UrlCacheRoot().c_str(), existing.size());
    return kExitFailure;
  }
  const std::vector<Site> sites = Sites();
  for (const Site& site : sites) {
    if (!AddSite(site)) return ReportFailure("cannot add " + site.url);
  }
  std::printf("%zu entries added to %s\n", sites.size(), platform::UrlCacheRoot().c_str());
  return kExitOk;
}

}  // namespace urlcache
