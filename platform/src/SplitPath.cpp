#include <windows.h>

#include <cstring>

namespace {

// Code page 932 lead bytes: a '\\' right after one is a trail byte, not a separator.
bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

void CopyPart(char* out, size_t capacity, const char* begin, const char* end) {
  if (out == nullptr) return;
  size_t length = static_cast<size_t>(end - begin);
  if (length >= capacity) length = capacity - 1;
  std::memcpy(out, begin, length);
  out[length] = '\0';
}

}  // namespace

void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
  if (path == nullptr) path = "";
  const char* p = path;
  const char* driveEnd = p;
  if (((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':') {
    driveEnd = p + 2;
  }
  CopyPart(drive, _MAX_DRIVE, p, driveEnd);
  const char* lastSeparator = nullptr;
  const char* lastDot = nullptr;
  const char* end = driveEnd;
  for (; *end != '\0'; ++end) {
    const auto c = static_cast<unsigned char>(*end);
    if (IsLeadByte(c) && end[1] != '\0') {
      ++end;
    } else if (c == '/' || c == '\\') {
      lastSeparator = end;
    } else if (c == '.') {
      lastDot = end;
    }
  }
  const char* nameBegin = lastSeparator != nullptr ? lastSeparator + 1 : driveEnd;
  CopyPart(dir, _MAX_DIR, driveEnd, nameBegin);
  if (lastDot == nullptr || lastDot < nameBegin) lastDot = end;
  CopyPart(fname, _MAX_FNAME, nameBegin, lastDot);
  CopyPart(ext, _MAX_EXT, lastDot, end);
}
