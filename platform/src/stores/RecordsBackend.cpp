#include "RecordsBackend.h"

#include <algorithm>

#include "../Internal.h"
#include "VirtualFiles.h"

namespace platform::detail {

bool RecordsBackend::List(std::vector<UrlCacheRecord>& records) {
  if (!Load()) return false;
  records.clear();
  records.reserve(EntryCount());
  for (size_t i = 0; i < EntryCount(); ++i) records.push_back(EntryRecord(i));
  return true;
}

bool RecordsBackend::Get(const std::string& url, UrlCacheRecord& record) {
  if (!EnsureLoaded()) return false;
  const size_t index = EntryIndex(url);
  if (index == kNoEntry) {
    Fail(ERROR_FILE_NOT_FOUND, "no entry " + url);
    return false;
  }
  record = EntryRecord(index);
  return true;
}

bool RecordsBackend::ReadEntryFile(const UrlCacheRecord& record, std::string& bytes) {
  if (!EnsureLoaded()) return false;
  const size_t index = EntryIndex(record.url);
  if (index == kNoEntry) {
    Fail(ERROR_FILE_NOT_FOUND, "no entry " + record.url);
    return false;
  }
  return EntryFile(index, bytes);
}

bool RecordsBackend::CreateEntryFile(const std::string& /*url*/, const std::string& extension,
                                     std::string& path) {
  const std::string folder = CommitFolder();
  // The caller's buffer holds MAX_PATH bytes.
  if (folder.size() + 40 + extension.size() >= MAX_PATH) {
    Fail(ERROR_FILENAME_EXCED_RANGE, "the path of " + folder + " is too long");
    return false;
  }
  for (;;) {
    path = folder + "/new-" + std::to_string(m_nextFile++) +
           (extension.empty() ? "" : "." + extension);
    if (CreateVirtualFile(path)) return true;
  }
}

bool RecordsBackend::WriteEntryFile(const std::string& path, const std::string& bytes) {
  if (!TruncateVirtualFile(path) || !AppendVirtualFile(path, bytes.data(), bytes.size())) {
    Fail(ERROR_FILE_NOT_FOUND, "no file " + path + " was made for a commit");
    return false;
  }
  return true;
}

void RecordsBackend::DropEntryFile(const std::string& path) { DeleteVirtualFile(path); }

bool RecordsBackend::TakeCommitRecords(const UrlCacheRecord& record,
                                       std::vector<CookieRecord>& records) {
  std::string bytes;
  if (!TakeVirtualFile(record.localFile, bytes)) {
    Fail(ERROR_FILE_NOT_FOUND, "no file " + record.localFile + " was made for this commit");
    return false;
  }
  std::string problem;
  if (!ParseCookieRecords(bytes, records, problem)) {
    Fail(ERROR_INVALID_DATA, "entry " + record.url + ": " + problem);
    return false;
  }
  return true;
}

void RecordsBackend::NotePlaced(const std::string& url, const std::string& identity,
                                const std::string& naturalUrl) {
  if (naturalUrl == url) {
    m_assigned.erase(identity);
  } else {
    m_assigned[identity] = url;
  }
}

void RecordsBackend::NoteCommitted(const std::string& url, bool empty) {
  if (empty) {
    m_emptyEntries.insert(url);
  } else {
    m_emptyEntries.erase(url);
  }
}

void RecordsBackend::NoteDeleted(const std::string& url) {
  m_emptyEntries.erase(url);
  std::erase_if(m_assigned, [&](const auto& item) { return item.second == url; });
}

}  // namespace platform::detail
