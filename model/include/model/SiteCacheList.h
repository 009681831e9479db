// The catalogue of every cookie entry of the URL cache, plus the cookie folder.
#pragma once

#include <wininet.h>

#include <cstdio>

#include "afxcore/CArrays.h"
#include "afxcore/CString.h"
#include "model/SiteCache.h"

class SiteCacheList : public CObArray {
 public:
  /** Sets GMT mode and finds the cookie folder. */
  SiteCacheList();
  ~SiteCacheList() override;
  SiteCacheList(const SiteCacheList&) = delete;
  SiteCacheList& operator=(const SiteCacheList&) = delete;

  CString m_strCookieFolder;

  /** Sort keys. */
  enum : int {
    kSortModifiedTime = 0,
    kSortSite = 1,
    kSortLastSyncTime = 2,
    kSortHitRate = 3,
    kSortExpireTime = 4,
  };

  /** Asks the shell for the cookie folder again (the store in use changed). */
  void FindCookieFolder();

  /** Loads every cookie entry from scratch; returns the number of entries. */
  virtual int Load();
  /** Deletes the cache entry (its file with it; a refusal is shown), and the entry when it is in
   * the catalogue. */
  virtual int DeleteEntry(SiteCache* entry);
  /** Re-reads the entry in place: 1 done; -1/-2 sizing call; -3 out of memory; -4 retrieve. */
  virtual int RetrieveEntry(SiteCache* entry);
  /** Commits and re-reads: 0 done; -1 the commit failed; -2 the re-read failed. */
  virtual int CommitEntry(SiteCache* entry, bool deleteOld);
  virtual void DeleteAll();
  /** Appends an entry made from the record; its index, or -1. */
  virtual int AddEntry(const INTERNET_CACHE_ENTRY_INFOA& record);
  /** Stable sort by one of the keys above. */
  virtual int Sort(int key, bool descending);
  /** The body of the text export. */
  virtual void WriteText(FILE* stream);

  /** The entry whose URL name is `url` (bytes compared exactly), or null. */
  SiteCache* FindEntry(const CString& url) const;

  SiteCache* GetEntry(int index) const { return static_cast<SiteCache*>(GetAt(index)); }
};
