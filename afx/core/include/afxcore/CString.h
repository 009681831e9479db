// A byte string (code page 932 in this program) with the framework's vocabulary. It may hold
// zero bytes; conversion to const char* shows the bytes up to the first of them.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

class CString {
 public:
  CString() = default;
  CString(const char* text) : m_s(text ? text : "") {}  // NOLINT: implicit as in the framework
  CString(const char* bytes, int count) : m_s(bytes, count > 0 ? size_t(count) : 0) {}
  CString(std::string text) : m_s(std::move(text)) {}  // NOLINT
  CString(std::string_view text) : m_s(text) {}        // NOLINT
  CString(char ch, int repeat = 1) : m_s(repeat > 0 ? size_t(repeat) : 0, ch) {}

  int GetLength() const { return int(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }

  operator const char*() const { return m_s.c_str(); }  // NOLINT
  const char* GetString() const { return m_s.c_str(); }
  char GetAt(int index) const { return m_s[size_t(index)]; }
  char operator[](int index) const { return m_s[size_t(index)]; }
  void SetAt(int index, char ch) { m_s[size_t(index)] = ch; }

  const std::string& str() const { return m_s; }
  std::string& str() { return m_s; }

  CString& operator=(const char* text) {
    m_s = text ? text : "";
    return *this;
  }
  CString& operator+=(const CString& other) {
    m_s += other.m_s;
    return *this;
  }
  CString& operator+=(const char* text) {
    if (text) m_s += text;
    return *this;
  }
  CString& operator+=(char ch) {
    m_s += ch;
    return *this;
  }

  /** strcmp-like, byte-wise unsigned. */
  int Compare(const char* other) const;

  int Find(char ch, int start = 0) const;
  int Find(const char* sub, int start = 0) const;
  CString Left(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Right(int count) const;

  void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void FormatV(const char* format, va_list args);
  void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

  /** Writable storage of at least minLength bytes plus a terminator; call ReleaseBuffer after. */
  char* GetBuffer(int minLength);
  /** Ends a GetBuffer: the length becomes newLength, or strlen of the buffer when -1. */
  void ReleaseBuffer(int newLength = -1);

  friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
  friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
  friend bool operator!=(const CString& a, const CString& b) { return a.m_s != b.m_s; }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
  friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }
  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
  friend CString operator+(const CString& a, const char* b) {
    return CString(a.m_s + (b ? b : ""));
  }
  friend CString operator+(const char* a, const CString& b) {
    return CString((a ? std::string(a) : std::string()) + b.m_s);
  }
  friend CString operator+(const CString& a, char b) { return CString(a.m_s + b); }

 private:
  std::string m_s;
};
