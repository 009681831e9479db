// Turning store records into INTERNET_CACHE_ENTRY_INFOA buffers, and search patterns.
#pragma once

#include <wininet.h>

#include <string>

#include "platform/UrlCacheStore.h"

namespace platform::detail {

// Bytes the record needs: the structure, then its strings and header bytes.
DWORD RecordSize(const UrlCacheRecord& record);
// Fills the buffer when it is large enough; else fails with 122 and the size needed.
bool PackRecord(const UrlCacheRecord& record, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size);
// A pattern names a container by a prefix of the URL name, in any case ("cookie:" finds
// "Cookie:..."). No pattern lists the entries that belong to no named container.
bool MatchesPattern(const std::string& url, const char* pattern);

}  // namespace platform::detail
