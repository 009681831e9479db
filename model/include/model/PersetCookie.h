// One cookie variable: one nine-line record of a cookie file.
#pragma once

#include <windows.h>

#include <cstdio>

#include "afxcore/CObject.h"
#include "afxcore/CString.h"
#include "model/CookieFlags.h"
#include "model/EditState.h"

/** A flag bit and the word the export writes for it (each word brings its leading blank). */
struct FlagWord {
  DWORD bit;
  const char* word;
};

class PersetCookie : public CObject {
  DECLARE_DYNCREATE(PersetCookie)

 public:
  PersetCookie() = default;

  int m_nState = kStateUnchanged;  // an EditState
  CString m_strName;
  CString m_strValue;  // as stored, still percent-encoded
  CString m_strDomain;
  CString m_strPath;        // the record's closing line, normally "*"
  DWORD m_dwFlags = 0;      // CookieFlag bits, and any others as they were read
  CString m_strExpire;      // time text
  CString m_strLastModify;  // time text

  /** Copies every field and marks this record modified. */
  virtual PersetCookie& CopyFrom(const PersetCookie& source);
  /** This record's block of the text export. */
  virtual void WriteText(FILE* stream);

  /** The cookie flag bits that have a word, in export order. */
  static const FlagWord* FlagWords(int* count);
};
