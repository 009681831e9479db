// One cookie entry of the URL cache: its cache record and the variables of its cookie file.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <functional>

#include "afxcore/CArrays.h"
#include "afxcore/CString.h"
#include "model/PersetCookie.h"

class SiteCache : public CObArray {
  DECLARE_DYNCREATE(SiteCache)

 public:
  SiteCache() = default;
  ~SiteCache() override;
  SiteCache(const SiteCache&) = delete;
  SiteCache& operator=(const SiteCache&) = delete;

  CString m_strSite;               // the URL name after its first "@"
  int m_nState = kStateUnchanged;  // an EditState
  DWORD m_dwCacheType = 0;
  CString m_strUrlName;
  CString m_strLocalFile;
  DWORD m_dwUseCount = 0;
  DWORD m_dwHitRate = 0;
  DWORD m_dwSizeLow = 0;
  DWORD m_dwSizeHigh = 0;
  CString m_strModifiedTime;
  CString m_strExpireTime;
  CString m_strAccessTime;
  CString m_strLastSyncTime;
  CByteArray m_header;
  CString m_strFileExtension;
  DWORD m_dwExemptDelta = 0;

  /** Result codes of LoadCookieFile beyond the cache's own. */
  enum : int {
    kLoadOutOfMemory = -13,  // a record or the buffer could not be allocated
    kLoadReadFailed = -14,   // the stream failed before its end
  };

  /** Fills the entry from a cache record and reads its cookie file; state 0 when it was read. */
  virtual void SetFromCacheInfo(const INTERNET_CACHE_ENTRY_INFOA& info);
  /**
   * Reads the cookie file into fresh variables. 0 read to its end; -1 not a cookie entry;
   * -10/-11/-12 the stream could not be opened; kLoadOutOfMemory; kLoadReadFailed.
   */
  virtual int LoadCookieFile();
  /**
   * Writes the variables as a new cookie file and commits it under the prefix and m_strSite.
   * 0 committed; -1 no file from the cache; -3 the file cannot be created or written; -2 the
   * commit failed. On failure the stored entry and the members are as they were.
   */
  virtual int Commit(bool deleteOld);
  virtual void DeleteAll();
  /** Removes and deletes the variable when it is one of this entry's. */
  virtual void DeleteVariable(PersetCookie* variable);
  /** Copies the source with copies of its variables (appended); the entry becomes modified. */
  virtual SiteCache& CopyFrom(const SiteCache& source);
  /** The bytes of this entry's cookie file as a commit writes them. */
  CString CookieFileText() const;
  /** This entry's block of the text export. */
  virtual void WriteText(FILE* stream);
  /** Writes the text and one LF; -1 when the text was not written completely. */
  virtual int WriteLine(HANDLE file, const CString& text);

  /** The URL name a commit gives the entry: the prefix up to and including the first "@" of
   *  its URL name (none when it has no "@"), then m_strSite. */
  CString CommitUrlName() const;

  PersetCookie* GetVariable(int index) const { return static_cast<PersetCookie*>(GetAt(index)); }

  /** The cache entry type bits that have a word, in export order. */
  static const FlagWord* TypeWords(int* count);

 private:
  int WriteCookieFile(HANDLE file);
  /** Calls `line` with each line of the cookie file in order; stops when it returns false. */
  bool ForEachFileLine(const std::function<bool(const CString&)>& line) const;
};
