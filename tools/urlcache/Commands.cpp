#include "Commands.h"

#include <wininet.h>

#include <cstdio>
#include <vector>

#include "Text.h"
#include "codec/Cp932.h"
#include "platform/UrlCacheStore.h"

namespace urlcache {

int ReportFailure(const std::string& what) {
  const DWORD code = GetLastError();
  char* text = nullptr;
  std::string message;
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                         FORMAT_MESSAGE_ALLOCATE_BUFFER,
                     nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                     reinterpret_cast<LPSTR>(&text), 0, nullptr) > 0) {
    message = codec::Cp932ToUtf8(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
      message.pop_back();
    }
  }
  LocalFree(text);
  std::fprintf(stderr, "urlcache: %s: %s (error %u)\n", what.c_str(), message.c_str(), code);
  const std::string detail = platform::LastUrlCacheErrorDetail();
  if (!detail.empty()) std::fprintf(stderr, "urlcache: %s\n", Printable(detail).c_str());
  return kExitFailure;
}

int List() {
  std::vector<platform::UrlCacheRecord> records;
  if (!platform::ListUrlCacheEntries(records)) return ReportFailure("cannot list the store");
  std::printf("URL\tLocalFile\tSize\tHits\tType\tModified\tExpire\tAccess\tLastSync\n");
  for (const auto& r : records) {
    std::printf("%s\t%s\t%llu\t%u\t%s\t%s\t%s\t%s\t%s\n", Printable(r.url).c_str(),
                Printable(r.localFile).c_str(), static_cast<unsigned long long>(r.size), r.hitRate,
                TypeWords(r.type).c_str() + (r.type != 0 ? 1 : 0), TimeText(r.modified).c_str(),
                TimeText(r.expire).c_str(), TimeText(r.access).c_str(), TimeText(r.sync).c_str());
  }
  return kExitOk;
}

int Show(const std::string& url) {
  platform::UrlCacheRecord r;
  if (!platform::FindUrlCacheEntry(url, r)) return ReportFailure("no entry " + Printable(url));
  std::printf("URLName\t%s\n", Printable(r.url).c_str());
  std::printf("LocalFile\t%s\n", Printable(r.localFile).c_str());
  std::printf("CacheType\t0x%08X%s\n", r.type, TypeWords(r.type).c_str());
  std::printf("Size\t%llu\n", static_cast<unsigned long long>(r.size));
  std::printf("HitRate\t%u\nUseCount\t%u\nExemptDelta\t%u\n", r.hitRate, r.useCount, r.exemptDelta);
  std::printf("ModifiedTime\t%s\nExpireTime\t%s\n", TimeText(r.modified).c_str(),
              TimeText(r.expire).c_str());
  std::printf("AccessTime\t%s\nLastSyncTime\t%s\n", TimeText(r.access).c_str(),
              TimeText(r.sync).c_str());
  std::printf("Header\t%zu bytes\t%s\n", r.header.size(), Printable(r.header).c_str());
  std::printf("FileExtension\t%s\n", Printable(r.extension).c_str());
  if (r.localFile.empty()) {
    std::printf("(no file)\n");
    return kExitOk;
  }
  std::string bytes;
  if (!platform::ReadUrlCacheFile(r, bytes)) {
    return ReportFailure("cannot read " + Printable(r.localFile));
  }
  // One line per line of the file; the record number before every ninth.
  size_t start = 0;
  int line = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find('\n', start);
    const bool complete = end != std::string::npos;
    const std::string text = bytes.substr(start, complete ? end - start : std::string::npos);
    if (line % 9 == 0) std::printf("-- record %d\n", line / 9 + 1);
    std::printf("%d\t%s%s\n", line % 9 + 1, Printable(text).c_str(),
                complete ? "" : "\t(no LF: ignored by readers)");
    ++line;
    start = complete ? end + 1 : bytes.size();
  }
  if (line % 9 != 0) std::printf("-- the file ends inside record %d\n", line / 9 + 1);
  return kExitOk;
}

int Check(bool repair) {
  platform::UrlCacheCheck report;
  if (!(repair ? platform::RepairUrlCache(report) : platform::CheckUrlCache(report))) {
    return ReportFailure(repair ? "cannot repair the store" : "cannot check the store");
  }
  for (const std::string& line : report.repairs) std::printf("%s\n", Printable(line).c_str());
  for (const std::string& problem : report.problems) {
    std::printf("%s\n", Printable(problem).c_str());
  }
  if (report.readOnly) std::printf("the store is read-only: it can be read, not changed\n");
  std::printf("%d entries, %d files, %zu problems", report.entries, report.files,
              report.problems.size());
  if (repair) std::printf(", %d files removed", report.removed);
  std::printf("\n");
  return report.problems.empty() ? kExitOk : kExitFailure;
}

}  // namespace urlcache
