#include "platform/StoreCopy.h"

#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>
#include <wininet.h>

#include <map>

#include "../Internal.h"
#include "Backend.h"
#include "platform/CookieRecord.h"
#include "platform/CookiesTxt.h"
#include "platform/StoreLocation.h"

namespace platform {
namespace {

bool Matches(const std::string& host, const std::string& pattern) {
  if (pattern.empty()) return true;
  if (pattern.find_first_of("*?[") != std::string::npos) {
    return ::fnmatch(pattern.c_str(), host.c_str(), FNM_CASEFOLD) == 0;
  }
  std::string plain = pattern;
  while (!plain.empty() && plain.front() == '.') plain.erase(0, 1);
  if (host.size() < plain.size()) return false;
  const std::string tail = host.substr(host.size() - plain.size());
  return ::strcasecmp(tail.c_str(), plain.c_str()) == 0 &&
         (host.size() == plain.size() || host[host.size() - plain.size() - 1] == '.');
}

// What makes two records the same cookie in every store.
std::string Identity(const CookieRecord& r) {
  return r.name + '\t' + ((r.flags & kCookieBitHostOnly) != 0 ? "" : ".") + r.Host() + '\t' +
         r.Path();
}

std::string Why() {
  return LastUrlCacheErrorDetail().empty() ? "error " + std::to_string(GetLastError())
                                           : LastUrlCacheErrorDetail();
}

// The target named by a text, made as a new cookies.txt when it is one that is not there yet.
bool ResolveTarget(const std::string& text, StoreLocation& location, std::string& problem) {
  if (ResolveStoreLocation(text, location, problem)) return true;
  const bool netscape = text.rfind("netscape:", 0) == 0 || text.rfind("cookies.txt:", 0) == 0;
  std::string path = netscape ? text.substr(text.find(':') + 1) : text;
  struct stat st {};
  if ((!netscape && (path.size() < 4 || path.compare(path.size() - 4, 4, ".txt") != 0)) ||
      path.empty() || ::stat(path.c_str(), &st) == 0) {
    return false;
  }
  int count = 0;
  CookiesTxtFailure failure;
  if (!WriteCookiesTxt(path, "", count, failure)) {
    problem = "cannot make " + path + ": " + failure.detail;
    return false;
  }
  problem.clear();
  return ResolveStoreLocation("netscape:" + path, location, problem);
}

}  // namespace

bool CopyCookies(const std::string& from, const std::string& to, const std::string& domainPattern,
                 CopyReport& report, std::string& problem) {
  report = CopyReport{};
  StoreLocation source, target;
  if (!ResolveStoreLocation(from, source, problem)) return false;
  if (!ResolveTarget(to, target, problem)) return false;
  if (source == target) {
    problem = "the stores to copy from and to are the same: " + source.Text();
    return false;
  }
  DWORD error = 0;
  auto in = detail::MakeBackend(source, error, problem);
  if (in == nullptr) return false;
  auto out = detail::MakeBackend(target, error, problem);
  if (out == nullptr) return false;

  std::vector<UrlCacheRecord> entries;
  if (!in->List(entries)) {
    problem = "cannot read " + source.Text() + ": " + Why();
    return false;
  }
  // The cookies to copy, grouped by the target's entry for each.
  std::map<std::string, std::vector<CookieRecord>> groups;
  for (const UrlCacheRecord& entry : entries) {
    if ((entry.type & COOKIE_CACHE_ENTRY) == 0) continue;
    std::string bytes, why;
    std::vector<CookieRecord> records;
    if (!in->ReadEntryFile(entry, bytes)) {
      report.failures.push_back(entry.url + ": cannot read it: " + Why());
      continue;
    }
    if (!ParseCookieRecords(bytes, records, why)) {
      report.failures.push_back(entry.url + ": " + why + "; only the complete ones are copied");
    }
    for (CookieRecord& record : records) {
      if (!Matches(record.Host(), domainPattern)) continue;
      if (const std::string cannot = out->CannotHold(record); !cannot.empty()) {
        report.failures.push_back(entry.url + ", cookie \"" + record.name + "\": " + cannot);
        continue;
      }
      groups[out->EntryUrlFor(record.Host(), record.Path())].push_back(std::move(record));
    }
  }
  for (auto& [url, incoming] : groups) {
    std::vector<CookieRecord> merged;
    UrlCacheRecord existing;
    if (out->Get(url, existing)) {
      std::string bytes, why;
      if (!out->ReadEntryFile(existing, bytes) || !ParseCookieRecords(bytes, merged, why)) {
        report.failures.push_back(url + ": cannot read it: " + (why.empty() ? Why() : why));
        continue;
      }
    }
    std::map<std::string, size_t> at;
    for (size_t i = 0; i < merged.size(); ++i) at.emplace(Identity(merged[i]), i);
    int replaced = 0;
    for (CookieRecord& record : incoming) {
      const auto found = at.find(Identity(record));
      if (found != at.end()) {
        merged[found->second] = std::move(record);
        ++replaced;
      } else {
        at.emplace(Identity(record), merged.size());
        merged.push_back(std::move(record));
      }
    }
    UrlCacheRecord commit = existing;
    commit.url = url;
    commit.localFile.clear();
    if (commit.type == 0) commit.type = NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY;
    if (!out->CreateEntryFile(url, "TXT", commit.localFile) ||
        !out->WriteEntryFile(commit.localFile, RenderCookieRecords(merged)) ||
        !out->Commit(commit)) {
      report.failures.push_back(url + ": " + Why());
      if (!commit.localFile.empty()) out->DropEntryFile(commit.localFile);
      continue;
    }
    report.copied += int(incoming.size());
    report.replaced += replaced;
  }
  return true;
}

}  // namespace platform
