#include "model/SiteCache.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <string>

#include "model/RecordBuffer.h"
#include "model/ShowLastError.h"
#include "model/TimeText.h"

IMPLEMENT_DYNCREATE(SiteCache, CObArray)

namespace {

const FlagWord kTypeWords[] = {
    {0x00000001, " Normal"},  {0x00000004, " Sticky"},     {0x00000008, " Edited"},
    {0x00000010, " Offline"}, {0x00000020, " Online"},     {0x00010000, " Sparse"},
    {0x00100000, " Cookie"},  {0x00200000, " URLHistory"},
};

// Decimal with optional leading white space and sign, up to the first non-digit; only the low
// 32 bits count, so "2743031808" and "-1551935488" read alike.
DWORD ParseNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + uint64_t(text[i] - '0');
  }
  return DWORD(negative ? 0 - value : value);
}

CString SignedDecimal(DWORD value) {
  CString text;
  text.Format("%d", int32_t(value));
  return text;
}

}  // namespace

const FlagWord* SiteCache::TypeWords(int* count) {
  if (count) *count = int(std::size(kTypeWords));
  return kTypeWords;
}

SiteCache::~SiteCache() { DeleteAll(); }

void SiteCache::SetFromCacheInfo(const INTERNET_CACHE_ENTRY_INFOA& info) {
  m_dwCacheType = info.CacheEntryType;
  m_strUrlName = info.lpszSourceUrlName;
  m_strLocalFile = info.lpszLocalFileName;
  m_dwUseCount = info.dwUseCount;
  m_dwHitRate = info.dwHitRate;
  m_dwSizeLow = info.dwSizeLow;
  m_dwSizeHigh = info.dwSizeHigh;
  FileTimeToText(&info.LastModifiedTime, m_strModifiedTime);
  FileTimeToText(&info.ExpireTime, m_strExpireTime);
  FileTimeToText(&info.LastAccessTime, m_strAccessTime);
  FileTimeToText(&info.LastSyncTime, m_strLastSyncTime);
  m_strFileExtension = info.lpszFileExtension;
  m_dwExemptDelta = info.dwExemptDelta;
  if (info.dwHeaderInfoSize > 0 && info.lpHeaderInfo) {
    m_header.SetSize(int(info.dwHeaderInfoSize));
    std::memcpy(m_header.GetData(), info.lpHeaderInfo, info.dwHeaderInfoSize);
  }
  const std::string& url = m_strUrlName.str();
  const size_t at = url.find('@');
  m_strSite = at == std::string::npos ? url : url.substr(at + 1);

  const int result = LoadCookieFile();
  if (result == 0) {
    m_nState = kStateUnchanged;
  } else if (result != -1) {
    // The file was there but not read completely: never let it look unchanged, or a later
    // commit would write back only the part that was read.
    m_nState = kStateLoading;
  }
}

int SiteCache::LoadCookieFile() {
  DeleteAll();
  if (!(m_dwCacheType & COOKIE_CACHE_ENTRY)) return -1;

  DWORD size = 0;
  if (HANDLE stream = RetrieveUrlCacheEntryStreamA(m_strUrlName, nullptr, &size, FALSE, 0)) {
    UnlockUrlCacheEntryStream(stream, 0);
    return -10;
  }
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return -11;
  RecordBuffer record;
  if (!record.Allocate(size)) {
    ShowOutOfMemory();
    return kLoadOutOfMemory;
  }
  HANDLE stream = RetrieveUrlCacheEntryStreamA(m_strUrlName, record.get(), &size, FALSE, 0);
  if (!stream) return -12;

  int result = 0;
  try {
    std::string line;
    PersetCookie* variable = nullptr;
    FILETIME scratch{};
    int k = 0;
    for (DWORD offset = 0;; ++offset) {
      char byte = 0;
      DWORD length = 1;
      if (!ReadUrlCacheEntryStream(stream, offset, &byte, &length, 0)) {
        if (GetLastError() != ERROR_HANDLE_EOF) result = kLoadReadFailed;
        break;
      }
      if (length != 1) break;
      if (byte != '\n') {
        line.push_back(byte);
        continue;
      }
      switch (k) {
        case 0:
          if (!RecordBuffer::MayAllocate()) throw std::bad_alloc();
          variable = new PersetCookie;
          variable->m_nState = kStateLoading;
          Add(variable);
          variable->m_strName = std::move(line);
          break;
        case 1:
          variable->m_strValue = std::move(line);
          break;
        case 2:
          variable->m_strDomain = std::move(line);
          break;
        case 3:
          variable->m_dwFlags = ParseNumber(line);
          break;
        case 4:
        case 6:
          scratch.dwLowDateTime = ParseNumber(line);
          break;
        case 5:
          scratch.dwHighDateTime = ParseNumber(line);
          FileTimeToText(&scratch, variable->m_strExpire);
          break;
        case 7:
          scratch.dwHighDateTime = ParseNumber(line);
          FileTimeToText(&scratch, variable->m_strLastModify);
          break;
        case 8:
          variable->m_strPath = std::move(line);
          variable->m_nState = kStateUnchanged;
          break;
      }
      line.clear();
      k = (k + 1) % 9;
    }
  } catch (const std::bad_alloc&) {
    ShowOutOfMemory();
    result = kLoadOutOfMemory;
  }
  UnlockUrlCacheEntryStream(stream, 0);
  return result;
}

bool SiteCache::ForEachFileLine(const std::function<bool(const CString&)>& line) const {
  FILETIME time;
  for (const CObject* object : items()) {
    const auto* v = static_cast<const PersetCookie*>(object);
    if (!line(v->m_strName) || !line(v->m_strValue) || !line(v->m_strDomain) ||
        !line(SignedDecimal(v->m_dwFlags))) {
      return false;
    }
    TextToFileTime(v->m_strExpire, &time);
    if (!line(SignedDecimal(time.dwLowDateTime)) || !line(SignedDecimal(time.dwHighDateTime))) {
      return false;
    }
    TextToFileTime(v->m_strLastModify, &time);
    if (!line(SignedDecimal(time.dwLowDateTime)) || !line(SignedDecimal(time.dwHighDateTime)) ||
        !line(v->m_strPath)) {
      return false;
    }
  }
  return true;
}

int SiteCache::WriteCookieFile(HANDLE file) {
  return ForEachFileLine([&](const CString& text) { return WriteLine(file, text) == 0; }) ? 0 : -1;
}

CString SiteCache::CookieFileText() const {
  std::string text;
  ForEachFileLine([&](const CString& line) {
    text += line.str();
    text += '\n';
    return true;
  });
  return CString(text);
}

CString SiteCache::CommitUrlName() const {
  const std::string& url = m_strUrlName.str();
  const size_t at = url.find('@');
  return CString(at == std::string::npos ? std::string() : url.substr(0, at + 1)) + m_strSite;
}

int SiteCache::Commit(bool deleteOld) {
  const CString newUrl = CommitUrlName();

  char fileName[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(newUrl, 0, "TXT", fileName, 0)) {
    ShowLastError(true);
    return -1;
  }
  // The stored entry stays untouched until its replacement is committed: a failure on the way
  // (full disk, vanished folder) loses nothing and removes only what this commit created.
  HANDLE file = CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ShowLastError(true);
    DeleteFileA(fileName);
    return -3;
  }
  const bool written = WriteCookieFile(file) == 0;
  const DWORD writeError = GetLastError();
  const bool closed = CloseHandle(file) != 0;
  if (!written || !closed) {
    if (!written) SetLastError(writeError);
    ShowLastError(true);
    DeleteFileA(fileName);
    return -3;
  }

  FILETIME expire, modified;
  TextToFileTime(m_strExpireTime, &expire);
  TextToFileTime(m_strModifiedTime, &modified);
  if (CommitUrlCacheEntryA(newUrl, fileName, expire, modified, m_dwCacheType,
                           m_header.IsEmpty() ? nullptr : m_header.GetData(),
                           DWORD(m_header.GetSize()), nullptr, newUrl) != 1) {
    ShowLastError(true);
    DeleteFileA(fileName);
    return -2;
  }

  const CString oldUrl = m_strUrlName;
  const CString oldFile = m_strLocalFile;
  m_strUrlName = newUrl;
  m_strLocalFile = fileName;
  if (deleteOld) {
    // Under the same URL the commit has replaced the entry already (and the cache dropped the
    // old file); deleting by URL now would delete the new entry. The remembered file goes only
    // with its entry: while the cache keeps the entry, the file is still its data.
    const bool oldGone = oldUrl == newUrl || DeleteUrlCacheEntry(oldUrl);
    if (oldGone && !oldFile.IsEmpty() && oldFile != m_strLocalFile) DeleteFileA(oldFile);
  }
  return 0;
}

void SiteCache::DeleteAll() {
  for (CObject* variable : items()) delete variable;
  RemoveAll();
}

void SiteCache::DeleteVariable(PersetCookie* variable) {
  auto& all = items();
  const auto found = std::find(all.begin(), all.end(), variable);
  if (found == all.end()) return;
  all.erase(found);
  delete variable;
}

SiteCache& SiteCache::CopyFrom(const SiteCache& source) {
  m_strSite = source.m_strSite;
  m_nState = kStateModified;
  m_dwCacheType = source.m_dwCacheType;
  m_strUrlName = source.m_strUrlName;
  m_strLocalFile = source.m_strLocalFile;
  m_dwUseCount = source.m_dwUseCount;
  m_dwHitRate = source.m_dwHitRate;
  m_dwSizeLow = source.m_dwSizeLow;
  m_dwSizeHigh = source.m_dwSizeHigh;
  m_strModifiedTime = source.m_strModifiedTime;
  m_strExpireTime = source.m_strExpireTime;
  m_strAccessTime = source.m_strAccessTime;
  m_strLastSyncTime = source.m_strLastSyncTime;
  m_header.SetSize(source.m_header.GetSize());
  std::copy(source.m_header.items().begin(), source.m_header.items().end(),
            m_header.items().begin());
  m_strFileExtension = source.m_strFileExtension;
  m_dwExemptDelta = source.m_dwExemptDelta;
  // Counted first, so that copying an entry into itself doubles it instead of running forever.
  const int count = source.GetSize();
  for (int i = 0; i < count; ++i) {
    auto* copy = new PersetCookie;
    copy->CopyFrom(*source.GetVariable(i));
    Add(copy);
  }
  return *this;
}

void SiteCache::WriteText(FILE* stream) {
  std::fprintf(stream, "URLName\t%s\n", m_strUrlName.GetString());
  std::fputs("CacheType\t", stream);
  for (const FlagWord& type : kTypeWords) {
    if (m_dwCacheType & type.bit) std::fputs(type.word, stream);
  }
  std::fputs("\n", stream);
  std::fprintf(stream, "LocalFile\t%s\n", m_strLocalFile.GetString());
  std::fprintf(stream, "ModifiedTime\t%s\n", m_strModifiedTime.GetString());
  std::fprintf(stream, "ExpireTime\t%s\n", m_strExpireTime.GetString());
  std::fprintf(stream, "AccessTime\t%s\n", m_strAccessTime.GetString());
  std::fprintf(stream, "LastSyncTime\t%s\n", m_strLastSyncTime.GetString());
  std::fprintf(stream, "HeaderSize\t%d\n", m_header.GetSize());
  if (m_header.GetSize() > 0) {
    for (const uint8_t byte : m_header.items()) std::fputc(byte, stream);
    std::fputs("\n", stream);
  }
  std::fprintf(stream, "FileExtention\t%s\n", m_strFileExtension.GetString());
  std::fprintf(stream, "UseCount\t%d\n", int32_t(m_dwUseCount));
  std::fprintf(stream, "HitRate\t%d\n", int32_t(m_dwHitRate));
  std::fprintf(stream, "Size[Hex]\t%08X %08X\n", m_dwSizeHigh, m_dwSizeLow);
  std::fprintf(stream, "ExemptDelta=%d\n", int32_t(m_dwExemptDelta));
  for (CObject* variable : items()) {
    std::fputs("-----------------------------\n", stream);
    static_cast<PersetCookie*>(variable)->WriteText(stream);
  }
}

int SiteCache::WriteLine(HANDLE file, const CString& text) {
  DWORD written = 0;
  const DWORD length = DWORD(text.GetLength());
  if (!WriteFile(file, text.str().data(), length, &written, nullptr) || written < length) {
    return -1;
  }
  // A line without its LF would join the next one: the LF counts as much as the text.
  if (!WriteFile(file, "\n", 1, &written, nullptr) || written < 1) return -1;
  return 0;
}
