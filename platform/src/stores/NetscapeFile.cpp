#include "NetscapeFile.h"

#include <algorithm>
#include <cstring>

namespace platform::detail {
namespace {

constexpr char kHttpOnlyPrefix[] = "#HttpOnly_";
constexpr size_t kMaxLine = 4096;       // curl drops lines over 5000 bytes; write well below
constexpr size_t kMaxReadLine = 65536;  // longer is no cookie any reader would keep

std::vector<std::string_view> SplitTabs(std::string_view text) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (size_t tab; (tab = text.find('\t', start)) != std::string_view::npos; start = tab + 1) {
    fields.push_back(text.substr(start, tab - start));
  }
  fields.push_back(text.substr(start));
  return fields;
}

bool HasControlByte(std::string_view text) {
  for (const unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

bool IsUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = 0;
    uint32_t code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (i + size_t(extra) >= text.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char t = static_cast<unsigned char>(text[i + size_t(k)]);
      if ((t & 0xC0) != 0x80) return false;
      code = (code << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
    if ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += size_t(extra) + 1;
  }
  return true;
}

// The last second a time stamp of the records can hold (the year 30827).
constexpr int64_t kMaxExpiry = 910692730085;

// An integer of seconds as every reader takes it: digits only, no sign, within the records'
// time range.
bool ParseExpiry(std::string_view text, int64_t& seconds) {
  if (text.empty() || text.size() > 18) return false;
  int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > kMaxExpiry) return false;
  seconds = value;
  return true;
}

NetscapeLine Classify(std::string_view raw) {
  NetscapeLine line;
  line.raw = raw;
  std::string_view text = raw;
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  if (text.find_first_not_of(" \t") == std::string_view::npos) {
    line.kind = NetscapeLine::Kind::Blank;
    return line;
  }
  if (text.substr(0, std::strlen(kHttpOnlyPrefix)) == kHttpOnlyPrefix) {
    line.httpOnly = true;
    text.remove_prefix(std::strlen(kHttpOnlyPrefix));
  } else if (text.front() == '#') {
    line.kind = NetscapeLine::Kind::Comment;
    return line;
  }
  line.kind = NetscapeLine::Kind::Bad;
  if (text.size() >= kMaxReadLine) {
    line.problem = "a line of " + std::to_string(text.size()) + " bytes";
    return line;
  }
  const std::vector<std::string_view> fields = SplitTabs(text);
  if (fields.size() != 7) {
    line.problem = std::to_string(fields.size()) + " fields instead of 7";
    return line;
  }
  for (const std::string_view field : fields) {
    if (HasControlByte(field)) {
      line.problem = "a control byte in a field";
      return line;
    }
  }
  if (fields[0].empty() || fields[0] == ".") {
    line.problem = "no domain";
    return line;
  }
  if (fields[2].empty() || fields[2].front() != '/') {
    line.problem = "a path that does not start with /";
    return line;
  }
  int64_t expiry = 0;
  if (!fields[4].empty() && !ParseExpiry(fields[4], expiry)) {
    line.problem = "an expiry that is not a whole number of seconds up to the year 30827";
    return line;
  }
  line.kind = NetscapeLine::Kind::Cookie;
  line.domain = fields[0];
  line.includeSubdomains = fields[1];
  line.path = fields[2];
  line.secure = fields[3] == "TRUE";
  line.expiry = expiry;
  line.session = expiry == 0;
  line.name = fields[5];
  line.value = fields[6];
  return line;
}

}  // namespace

const char kNetscapeHeader[] =
    "# Netscape HTTP Cookie File\n"
    "# https://curl.se/docs/http-cookies.html\n"
    "# Written by Tolvane. Every line is one cookie: domain, subdomains, path, secure,\n"
    "# expiry, name, value.\n"
    "\n";

std::string NetscapeLine::Identity() const { return NetscapeIdentity(ToRecord()); }

CookieRecord NetscapeLine::ToRecord() const {
  CookieRecord record;
  const bool hostOnly = domain.front() != '.';
  const size_t start = domain.find_first_not_of('.');
  record.name = name;
  record.value = value;
  record.domain = (start == std::string::npos ? std::string() : domain.substr(start)) + path;
  record.flags = (secure ? kCookieBitSecure : 0) | (session ? kCookieBitSession : 0) |
                 (httpOnly ? kCookieBitHttpOnly : 0) | (hostOnly ? kCookieBitHostOnly : 0);
  record.expire = session ? FILETIME{} : FileTimeFromUnix(expiry);
  return record;
}

std::string NetscapeIdentity(const CookieRecord& record) {
  const bool hostOnly = (record.flags & kCookieBitHostOnly) != 0;
  return record.name + '\t' + (hostOnly ? "" : ".") + record.Host() + '\t' + record.Path();
}

NetscapeFile NetscapeFile::Parse(std::string_view bytes) {
  NetscapeFile file;
  size_t crlf = 0;
  size_t lf = 0;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    end = end == std::string_view::npos ? bytes.size() : end + 1;
    const std::string_view raw = bytes.substr(start, end - start);
    if (raw.back() == '\n') (raw.size() >= 2 && raw[raw.size() - 2] == '\r' ? crlf : lf)++;
    file.lines.push_back(Classify(raw));
    start = end;
  }
  file.eol = crlf > lf ? "\r\n" : "\n";
  return file;
}

std::string NetscapeFile::Bytes() const {
  std::string out;
  for (const NetscapeLine& line : lines) out += line.raw;
  return out;
}

bool NetscapeLineFromRecord(const CookieRecord& record, const std::string& eol, NetscapeLine& line,
                            std::string& problem) {
  const std::string host = record.Host();
  const std::string path = record.Path();
  const std::pair<const char*, const std::string*> fields[] = {
      {"name", &record.name}, {"value", &record.value}, {"host", &host}, {"path", &path}};
  for (const auto& [what, text] : fields) {
    if (HasControlByte(*text)) {
      problem = std::string("its ") + what + " holds a TAB or a control byte";
      return false;
    }
    if (!IsUtf8(*text)) {
      problem = std::string("its ") + what + " holds bytes that are not UTF-8";
      return false;
    }
  }
  if (host.empty()) {
    problem = "it has no host";
    return false;
  }
  line = NetscapeLine{};
  line.kind = NetscapeLine::Kind::Cookie;
  line.httpOnly = (record.flags & kCookieBitHttpOnly) != 0;
  const bool hostOnly = (record.flags & kCookieBitHostOnly) != 0;
  line.domain = (hostOnly ? "" : ".") + host;
  line.includeSubdomains = hostOnly ? "FALSE" : "TRUE";
  line.path = path;
  line.secure = (record.flags & kCookieBitSecure) != 0;
  line.session = (record.flags & kCookieBitSession) != 0;
  // A lasting cookie whose expiry lies at or before 1970 stays expired, never turns session.
  line.expiry = line.session ? 0 : std::max<int64_t>(1, UnixFromFileTime(record.expire));
  line.name = record.name;
  line.value = record.value;
  line.raw = std::string(line.httpOnly ? kHttpOnlyPrefix : "") + line.domain + '\t' +
             line.includeSubdomains + '\t' + line.path + '\t' + (line.secure ? "TRUE" : "FALSE") +
             '\t' + std::to_string(line.expiry) + '\t' + line.name + '\t' + line.value;
  if (line.raw.size() >= kMaxLine) {
    problem = "its line would be " + std::to_string(line.raw.size()) +
              " bytes (readers take under " + std::to_string(kMaxLine) + ")";
    return false;
  }
  line.raw += eol;
  return true;
}

}  // namespace platform::detail
