#include "afxcore/CString.h"

#include <cstdio>
#include <cstring>

int CString::Compare(const char* other) const { return std::strcmp(m_s.c_str(), other ? other : ""); }

int CString::Find(char ch, int start) const {
  if (start < 0 || size_t(start) > m_s.size()) return -1;
  const size_t pos = m_s.find(ch, size_t(start));
  return pos == std::string::npos ? -1 : int(pos);
}

int CString::Find(const char* sub, int start) const {
  if (start < 0 || size_t(start) > m_s.size()) return -1;
  const size_t pos = m_s.find(sub ? sub : "", size_t(start));
  return pos == std::string::npos ? -1 : int(pos);
}

CString CString::Left(int count) const {
  if (count <= 0) return CString();
  return CString(m_s.substr(0, size_t(count)));
}

CString CString::Mid(int first) const {
  if (first < 0) first = 0;
  if (size_t(first) >= m_s.size()) return CString();
  return CString(m_s.substr(size_t(first)));
}

CString CString::Mid(int first, int count) const {
  if (first < 0) first = 0;
  if (count <= 0 || size_t(first) >= m_s.size()) return CString();
  return CString(m_s.substr(size_t(first), size_t(count)));
}

CString CString::Right(int count) const {
  if (count <= 0) return CString();
  if (size_t(count) >= m_s.size()) return *this;
  return CString(m_s.substr(m_s.size() - size_t(count)));
}

void CString::FormatV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (needed < 0) {
    m_s.clear();
    return;
  }
  std::string out(size_t(needed) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, args);
  out.resize(size_t(needed));
  m_s = std::move(out);
}

void CString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::AppendFormat(const char* format, ...) {
  CString tail;
  va_list args;
  va_start(args, format);
  tail.FormatV(format, args);
  va_end(args);
  m_s += tail.m_s;
}

char* CString::GetBuffer(int minLength) {
  if (minLength > 0 && m_s.size() < size_t(minLength)) m_s.resize(size_t(minLength));
  return m_s.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) newLength = int(std::strlen(m_s.c_str()));
  m_s.resize(size_t(newLength));
}
