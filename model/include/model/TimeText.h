// Time stamps as the program shows, edits, sorts and stores them: "YYYY-MM-DD hh:mm:ss", in UTC
// or in local time as GMT mode says.
#pragma once

#include <windows.h>

#include "afxcore/CString.h"

/** Nonzero: time texts are UTC; zero: local time at the current bias. */
extern int g_bGmtMode;

/** The time text of a FILETIME; empty when the platform cannot convert it. */
void FileTimeToText(const FILETIME* time, CString& text);

/**
 * The FILETIME of a time text. Always writes a defined value: a text that is not a valid time
 * is brought to the nearest valid one (fields clamped into range, missing fields 0) and false is
 * returned. True when the text converted as written.
 */
bool TextToFileTime(const char* text, FILETIME* time);
