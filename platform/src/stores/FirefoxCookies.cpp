#include "FirefoxCookies.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace platform::detail {
namespace {

constexpr DWORD kSameSiteBits = kCookieBitSameSiteStrict | kCookieBitSameSiteLax;
constexpr int kSameSiteLax = 1;
constexpr int kSameSiteStrict = 2;

// The columns a record is read from; the ones that may be missing say what stands in for them.
struct ReadColumn {
  const char* name;
  const char* missing;  // nullptr: a table without it cannot be read
};
constexpr ReadColumn kReadColumns[] = {
    {"id", nullptr},       {"originAttributes", "''"}, {"name", nullptr},   {"value", nullptr},
    {"host", nullptr},     {"path", nullptr},          {"expiry", nullptr}, {"creationTime", "0"},
    {"isSecure", nullptr}, {"isHttpOnly", nullptr},    {"sameSite", "0"},
};

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

std::string Text(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text != nullptr ? std::string(text, size_t(sqlite3_column_bytes(statement, column)))
                         : std::string();
}

std::string SelectSql(const FirefoxSchema& schema, std::string& problem) {
  std::string sql = "SELECT ";
  for (const ReadColumn& column : kReadColumns) {
    if (&column != kReadColumns) sql += ", ";
    if (schema.Has(column.name)) {
      sql += column.name;
    } else if (column.missing != nullptr) {
      sql += column.missing;
    } else {
      problem = std::string("moz_cookies has no column ") + column.name;
      return {};
    }
  }
  return sql + " FROM moz_cookies";
}

FirefoxRow RowOf(sqlite3_stmt* statement) {
  FirefoxRow row;
  row.id = sqlite3_column_int64(statement, 0);
  row.originAttributes = Text(statement, 1);
  row.name = Text(statement, 2);
  row.value = Text(statement, 3);
  row.host = Text(statement, 4);
  row.path = Text(statement, 5);
  row.expiry = sqlite3_column_int64(statement, 6);
  row.creationTime = sqlite3_column_int64(statement, 7);
  row.isSecure = sqlite3_column_int64(statement, 8);
  row.isHttpOnly = sqlite3_column_int64(statement, 9);
  row.sameSite = sqlite3_column_int64(statement, 10);
  return row;
}

bool IsUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t extra = c < 0x80                 ? 0
                         : c >= 0xC2 && c <= 0xDF ? 1
                         : c >= 0xE0 && c <= 0xEF ? 2
                         : c >= 0xF0 && c <= 0xF4 ? 3
                                                  : 9;
    if (extra == 9 || i + extra >= text.size() + (extra == 0 ? 1 : 0)) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

bool HasControlByte(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
  });
}

}  // namespace

std::vector<std::string> FirefoxSchema::WrittenColumns() const {
  std::vector<std::string> columns = {
      "originAttributes", "name",         "value",        "host",     "path",
      "expiry",           "lastAccessed", "creationTime", "isSecure", "isHttpOnly",
      "inBrowserElement", "sameSite",     "schemeMap"};
  if (version <= 14) columns.push_back("rawSameSite");  // dropped by 15
  if (version >= 13) columns.push_back("isPartitionedAttributeSet");
  if (version >= 17) columns.push_back("updateTime");
  return columns;
}

std::string FirefoxSchema::WhyNotWritable() const {
  if (version < kFirefoxOldestWritten || version > kFirefoxNewestWritten) {
    return "cookies.sqlite has schema version " + std::to_string(version) +
           ", which Tolvane was not tested with (it writes versions " +
           std::to_string(kFirefoxOldestWritten) + " to " + std::to_string(kFirefoxNewestWritten) +
           ")";
  }
  std::string missing;
  for (const std::string& column : WrittenColumns()) {
    if (!Has(column)) missing += (missing.empty() ? "" : ", ") + column;
  }
  if (!Has("id")) missing += std::string(missing.empty() ? "" : ", ") + "id";
  if (!missing.empty()) {
    return "moz_cookies of schema version " + std::to_string(version) + " lacks " + missing;
  }
  return {};
}

bool ReadFirefoxSchema(sqlite3* db, FirefoxSchema& schema, std::string& problem) {
  schema = FirefoxSchema{};
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr) != SQLITE_OK) {
    problem = sqlite3_errmsg(db);
    return false;
  }
  if (sqlite3_step(statement) == SQLITE_ROW) schema.version = sqlite3_column_int(statement, 0);
  sqlite3_finalize(statement);
  if (sqlite3_prepare_v2(db, "PRAGMA table_info(moz_cookies)", -1, &statement, nullptr) !=
      SQLITE_OK) {
    problem = sqlite3_errmsg(db);
    return false;
  }
  int rc;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) schema.columns.insert(Text(statement, 1));
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) {
    problem = sqlite3_errmsg(db);
    return false;
  }
  if (schema.columns.empty()) {
    problem = "the database holds no table moz_cookies";
    return false;
  }
  return true;
}

size_t FirefoxKeyHash::operator()(const FirefoxKey& key) const {
  const std::hash<std::string_view> hash;
  size_t h = hash(key.name);
  for (const std::string_view part : {key.host, key.path, key.originAttributes}) {
    h ^= hash(part) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
  }
  return h;
}

bool ReadFirefoxRows(sqlite3* db, const FirefoxSchema& schema,
                     const std::function<void(FirefoxRow&&)>& take, std::string& problem) {
  const std::string sql = SelectSql(schema, problem);
  if (sql.empty()) return false;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    problem = sqlite3_errmsg(db);
    return false;
  }
  int rc;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) take(RowOf(statement));
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) {
    problem = sqlite3_errmsg(db);
    return false;
  }
  return true;
}

bool ReadFirefoxRow(sqlite3* db, const FirefoxSchema& schema, int64_t id, FirefoxRow& row) {
  std::string problem;
  const std::string sql = SelectSql(schema, problem) + " WHERE id = ?";
  sqlite3_stmt* statement = nullptr;
  if (!problem.empty() ||
      sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    return false;
  }
  sqlite3_bind_int64(statement, 1, id);
  const bool found = sqlite3_step(statement) == SQLITE_ROW;
  if (found) row = RowOf(statement);
  sqlite3_finalize(statement);
  return found;
}

// The record's numbers: flags and the two times.
void NumbersOf(const FirefoxRow& row, const FirefoxSchema& schema, CookieRecord& record) {
  record.flags = (row.isSecure != 0 ? kCookieBitSecure : 0) |
                 (row.isHttpOnly != 0 ? kCookieBitHttpOnly : 0) |
                 (row.host.empty() || row.host[0] != '.' ? kCookieBitHostOnly : 0) |
                 (row.sameSite == kSameSiteStrict ? kCookieBitSameSiteStrict
                  : row.sameSite == kSameSiteLax  ? kCookieBitSameSiteLax
                                                  : 0);
  record.expire =
      FileTimeFromUnix(schema.ExpiryInMilliseconds() ? FloorDiv(row.expiry, 1000) : row.expiry);
  record.second =
      row.creationTime != 0 ? FileTimeFromUnix(FloorDiv(row.creationTime, 1000000)) : FILETIME{};
}

std::string_view HostWithoutDots(const std::string& host) {
  return std::string_view(host).substr(std::min(host.size(), host.find_first_not_of('.')));
}

CookieRecord FirefoxRecord(const FirefoxRow& row, const FirefoxSchema& schema) {
  CookieRecord record;
  record.name = row.name;
  record.value = row.value;
  record.domain = HostWithoutDots(row.host);
  record.domain += row.path;
  NumbersOf(row, schema, record);
  return record;
}

size_t FirefoxRecordSize(const FirefoxRow& row, const FirefoxSchema& schema) {
  CookieRecord numbers;
  NumbersOf(row, schema, numbers);
  auto digits = [](DWORD value) {
    char text[16];
    return size_t(std::to_chars(text, text + sizeof text, int32_t(value)).ptr - text);
  };
  return row.name.size() + row.value.size() + HostWithoutDots(row.host).size() + row.path.size() +
         numbers.terminator.size() + 9 + digits(numbers.flags) +
         digits(numbers.expire.dwLowDateTime) + digits(numbers.expire.dwHighDateTime) +
         digits(numbers.second.dwLowDateTime) + digits(numbers.second.dwHighDateTime);
}

DWORD FirefoxKeptFlags() {
  return kCookieBitSecure | kCookieBitHttpOnly | kCookieBitHostOnly | kSameSiteBits;
}

std::string FirefoxHost(const CookieRecord& record) {
  return ((record.flags & kCookieBitHostOnly) != 0 ? "" : ".") + record.Host();
}

std::string FirefoxCannotHold(const CookieRecord& record) {
  if ((record.flags & kCookieBitSession) != 0) {
    return "it is a session cookie, and Firefox keeps those in memory only";
  }
  const std::string host = record.Host();
  if (host.empty()) return "it has no host";
  for (const char c : host) {
    const auto b = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || b <= 0x20 || b == 0x7F || c == '/' || c == ';') {
      return "its host holds what Firefox never stores in one (capitals, spaces, control bytes)";
    }
  }
  const std::pair<const char*, const std::string*> texts[] = {
      {"name", &record.name}, {"value", &record.value}, {"path", &record.domain}};
  for (const auto& [what, text] : texts) {
    if (HasControlByte(*text) || text->find(';') != std::string::npos) {
      return std::string("its ") + what + " holds a control byte or ';'";
    }
    if (!IsUtf8(*text)) return std::string("its ") + what + " holds bytes that are not UTF-8";
  }
  if (record.name.empty() && record.value.empty()) return "its name and value are both empty";
  if (record.name.find('=') != std::string::npos) return "its name holds '='";
  if (record.terminator != "*") return "its ninth line is not \"*\" (cookies.sqlite keeps none)";
  return {};
}

FirefoxRow FirefoxRowFrom(const CookieRecord& record, const FirefoxRow& old,
                          const CookieRecord& oldRecord, const FirefoxSchema& schema,
                          const std::string& originAttributes) {
  const bool existing = old.id != 0;
  FirefoxRow row = old;
  if (!existing) row.originAttributes = originAttributes;
  row.name = record.name;
  row.value = record.value;
  row.host = FirefoxHost(record);
  row.path = record.Path();
  auto sameTime = [](const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
  };
  if (!existing || !sameTime(record.expire, oldRecord.expire)) {
    // A lasting cookie whose expiry lies at or before 1970 stays expired, never turns session.
    const int64_t seconds = std::max<int64_t>(1, UnixFromFileTime(record.expire));
    row.expiry = schema.ExpiryInMilliseconds() ? seconds * 1000 : seconds;
  }
  if (!existing || !sameTime(record.second, oldRecord.second)) {
    const bool none = record.second.dwLowDateTime == 0 && record.second.dwHighDateTime == 0;
    row.creationTime = none ? 0 : UnixFromFileTime(record.second) * 1000000;
  }
  row.isSecure = (record.flags & kCookieBitSecure) != 0 ? 1 : 0;
  row.isHttpOnly = (record.flags & kCookieBitHttpOnly) != 0 ? 1 : 0;
  const DWORD bits = record.flags & kSameSiteBits;
  if (!existing || bits != (oldRecord.flags & kSameSiteBits)) {
    row.sameSite = (bits & kCookieBitSameSiteStrict) != 0 ? kSameSiteStrict
                   : bits != 0                            ? kSameSiteLax
                                                          : schema.SameSiteUnset();
  }
  return row;
}

std::string FirefoxIdentity(const std::string& name, const std::string& host,
                            const std::string& path, const std::string& originAttributes) {
  std::string identity;
  identity.reserve(name.size() + host.size() + path.size() + originAttributes.size() + 3);
  identity += name;
  identity += '\t';
  identity += host;
  identity += '\t';
  identity += path;
  identity += '\t';
  identity += originAttributes;
  return identity;
}

}  // namespace platform::detail
