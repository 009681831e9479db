// Error codes of the store back ends that the system's own codes do not name. They are
// application codes (bit 29 set, as Windows reserves for them); FormatMessageA has a Japanese
// text for each, and the readable detail (LastUrlCacheErrorDetail) says what exactly.
#pragma once

#include <windows.h>

// The store changed on disk after it was read (another program, or another window, wrote it).
#define ERROR_TOLVANE_STORE_CHANGED 0x20000001L
// The store's owner (a browser, a wineserver) is running: it would overwrite or trip over a
// write.
#define ERROR_TOLVANE_STORE_IN_USE 0x20000002L
// The store can be read but not written (a read-only file, folder or mount).
#define ERROR_TOLVANE_STORE_READ_ONLY 0x20000003L
// A cookie of the committed entry has the identity of a cookie that belongs to another entry.
#define ERROR_TOLVANE_COOKIE_OF_OTHER_ENTRY 0x20000004L
// A cookie holds what the store cannot hold (a TAB in a cookies.txt value, ...).
#define ERROR_TOLVANE_COOKIE_NOT_STORABLE 0x20000005L
// The store's format or version is one Tolvane was not tested with; it is not written.
#define ERROR_TOLVANE_STORE_UNTESTED 0x20000006L
// The location names no store of a known kind.
#define ERROR_TOLVANE_NOT_A_STORE 0x20000007L
// A cookie's value could not be decrypted (its key is not at hand): it is neither changed nor
// removed.
#define ERROR_TOLVANE_VALUES_LOCKED 0x20000008L
