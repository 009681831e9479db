// The cookie flag bits that have a name: the bit, the word the export writes for it (with its
// leading blank) and the variable form's check box. This is the one table of them; the model
// expands it without the box column, the form with it, so every mask is written once.
#pragma once

#include <windows.h>

// X(name, bit, export word, check box id)
#define TOLVANE_COOKIE_FLAGS(X)                                       \
  X(kCookieSecure, 0x001, " Secure", IDC_FLAG_SECURE)                 \
  X(kCookieSession, 0x002, " Session", IDC_FLAG_SESSION)              \
  X(kCookie3rdParty, 0x010, " 3rdParty", IDC_FLAG_3RDPARTY)           \
  X(kCookiePrompt, 0x020, " Prompt", IDC_FLAG_PROMPT)                 \
  X(kCookieEvaluateP3P, 0x040, " EvaluateP3P", IDC_FLAG_EVALUATE_P3P) \
  X(kCookieApplyP3P, 0x080, " ApplyP3P", IDC_FLAG_APPLY_P3P)          \
  X(kCookieEnableP3P, 0x100, " EnableP3P", IDC_FLAG_P3P)              \
  X(kCookieRestricted, 0x200, " Restricted", IDC_FLAG_RESTRICTED)     \
  X(kCookieIE6, 0x400, " IE6", IDC_FLAG_IE6)                          \
  X(kCookieLegacy, 0x800, " Legacy", IDC_FLAG_LEGACY)

enum CookieFlag : DWORD {
#define TOLVANE_COOKIE_FLAG_NAME(name, bit, word, box) name = bit,
  TOLVANE_COOKIE_FLAGS(TOLVANE_COOKIE_FLAG_NAME)
#undef TOLVANE_COOKIE_FLAG_NAME
};
