// Chromium-family Cookies files made by hand for tests and benchmarks: the browser's schema of a
// version, rows with plain, v10 or v11 values encrypted here with OpenSSL (independently of the
// back end), and the rows read back.
#pragma once

#include <openssl/evp.h>
#include <openssl/sha.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace tolvane::test {

struct ChromiumTestRow {
  enum class Value { Plain, V10, V11, V10WithoutHostHash, Unknown };
  std::string hostKey;
  std::string name;
  std::string value;
  std::string path = "/";
  Value kind = Value::V10;
  int64_t creation = 13441140538746152;  // microseconds since 1601
  int64_t expires = 13441745334746152;
  int64_t lastAccess = 13441140538746152;
  int64_t lastUpdate = 13441140538746183;
  int secure = 0, httpOnly = 0, persistent = 1, sameSite = -1, priority = 1;
  int sourceScheme = 1, sourcePort = 8080, sourceType = 1, crossSite = 1;
  std::string topFrame;
};

class ChromiumProfile {
 public:
  /** AES-128-CBC under PBKDF2-HMAC-SHA1(password, "saltysalt", 1, 16), IV of spaces. */
  static std::string Encrypt(const std::string& password, const std::string& plain) {
    unsigned char key[16];
    PKCS5_PBKDF2_HMAC_SHA1(password.data(), int(password.size()),
                           reinterpret_cast<const unsigned char*>("saltysalt"), 9, 1, 16, key);
    unsigned char iv[16];
    for (unsigned char& c : iv) c = ' ';
    std::string out(plain.size() + 32, '\0');
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    int n = 0, tail = 0;
    EVP_EncryptInit_ex(ctx, EVP_aes_128_cbc(), nullptr, key, iv);
    EVP_EncryptUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &n,
                      reinterpret_cast<const unsigned char*>(plain.data()), int(plain.size()));
    EVP_EncryptFinal_ex(ctx, reinterpret_cast<unsigned char*>(out.data()) + n, &tail);
    EVP_CIPHER_CTX_free(ctx);
    out.resize(size_t(n + tail));
    return out;
  }

  static std::string HostHash(const std::string& host) {
    std::string digest(SHA256_DIGEST_LENGTH, '\0');
    SHA256(reinterpret_cast<const unsigned char*>(host.data()), host.size(),
           reinterpret_cast<unsigned char*>(digest.data()));
    return digest;
  }

  /** A new, empty Cookies file of the version's schema (18 to 24). */
  explicit ChromiumProfile(std::string path, int version = 24, std::string v11Password = "")
      : m_path(std::move(path)), m_version(version), m_v11(std::move(v11Password)) {
    std::string columns =
        "creation_utc INTEGER NOT NULL,host_key TEXT NOT NULL,top_frame_site_key TEXT NOT NULL,"
        "name TEXT NOT NULL,value TEXT NOT NULL,encrypted_value BLOB NOT NULL,path TEXT NOT NULL,"
        "expires_utc INTEGER NOT NULL,is_secure INTEGER NOT NULL,is_httponly INTEGER NOT NULL,"
        "last_access_utc INTEGER NOT NULL,has_expires INTEGER NOT NULL,is_persistent INTEGER NOT "
        "NULL,priority INTEGER NOT NULL,samesite INTEGER NOT NULL,source_scheme INTEGER NOT NULL,"
        "source_port INTEGER NOT NULL";
    if (version <= 20) columns += ",is_same_party INTEGER NOT NULL";
    columns += ",last_update_utc INTEGER NOT NULL";
    if (version >= 22) columns += ",source_type INTEGER NOT NULL";
    if (version >= 23) columns += ",has_cross_site_ancestor INTEGER NOT NULL";
    Exec(
        "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
        "INSERT INTO meta VALUES('version','" +
        std::to_string(version) + "'),('last_compatible_version','" + std::to_string(version) +
        "'),('mmap_status','-1');"
        "CREATE TABLE cookies(" +
        columns +
        ");"
        "CREATE UNIQUE INDEX cookies_unique_index ON cookies(host_key, top_frame_site_key, " +
        (version >= 23 ? "has_cross_site_ancestor, " : "") +
        "name, path, source_scheme, source_port);");
  }

  /** An existing file, left as it is. */
  static ChromiumProfile Existing(std::string path, int version = 24,
                                  std::string v11Password = "") {
    return ChromiumProfile(std::move(path), version, std::move(v11Password), 0);
  }

  const std::string& Path() const { return m_path; }

  /** The encrypted_value a row of this file gets for the value. */
  std::string EncryptedValue(const ChromiumTestRow& row) const {
    const std::string hash = m_version >= 24 ? HostHash(row.hostKey) : std::string();
    switch (row.kind) {
      case ChromiumTestRow::Value::Plain:
        return {};
      case ChromiumTestRow::Value::V10:
        return "v10" + Encrypt("peanuts", hash + row.value);
      case ChromiumTestRow::Value::V10WithoutHostHash:
        return "v10" + Encrypt("peanuts", row.value);
      case ChromiumTestRow::Value::V11:
        return "v11" + Encrypt(m_v11, hash + row.value);
      case ChromiumTestRow::Value::Unknown:
        return "v99" + std::string(16, 'x');
    }
    return {};
  }

  void Add(const ChromiumTestRow& row) const { Add(std::vector<ChromiumTestRow>{row}); }

  /** Adds the rows in one transaction. */
  void Add(const std::vector<ChromiumTestRow>& rows) const {
    sqlite3* db = Open();
    std::string sql =
        "INSERT INTO cookies(creation_utc,host_key,top_frame_site_key,name,value,encrypted_value,"
        "path,expires_utc,is_secure,is_httponly,last_access_utc,has_expires,is_persistent,"
        "priority,samesite,source_scheme,source_port,last_update_utc";
    std::string marks = "?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?";
    if (m_version <= 20) sql += ",is_same_party", marks += ",0";
    if (m_version >= 22) sql += ",source_type", marks += ",?19";
    if (m_version >= 23) sql += ",has_cross_site_ancestor", marks += ",?20";
    sql += ") VALUES(" + marks + ")";
    sqlite3_stmt* s = nullptr;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) std::abort();
    for (const ChromiumTestRow& row : rows) {
      const std::string encrypted = EncryptedValue(row);
      const std::string plain = row.kind == ChromiumTestRow::Value::Plain ? row.value : "";
      sqlite3_bind_int64(s, 1, row.creation);
      sqlite3_bind_text(s, 2, row.hostKey.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(s, 3, row.topFrame.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(s, 4, row.name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(s, 5, plain.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_blob(s, 6, encrypted.data(), int(encrypted.size()), SQLITE_TRANSIENT);
      sqlite3_bind_text(s, 7, row.path.c_str(), -1, SQLITE_TRANSIENT);
      const int64_t rest[] = {row.persistent ? row.expires : 0,
                              row.secure,
                              row.httpOnly,
                              row.lastAccess,
                              row.persistent,
                              row.persistent,
                              row.priority,
                              row.sameSite,
                              row.sourceScheme,
                              row.sourcePort,
                              row.lastUpdate,
                              row.sourceType,
                              row.crossSite};
      for (int i = 0; i < 13; ++i) sqlite3_bind_int64(s, 8 + i, rest[i]);
      if (sqlite3_step(s) != SQLITE_DONE) std::abort();
      sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }

  /** Every row as column name -> text (blobs in hex), in rowid order. */
  std::vector<std::map<std::string, std::string>> Rows() const {
    std::vector<std::map<std::string, std::string>> rows;
    sqlite3* db = Open();
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid, * FROM cookies ORDER BY rowid", -1, &s, nullptr);
    while (s != nullptr && sqlite3_step(s) == SQLITE_ROW) {
      auto& row = rows.emplace_back();
      for (int i = 0; i < sqlite3_column_count(s); ++i) {
        const auto* data = static_cast<const unsigned char*>(sqlite3_column_blob(s, i));
        std::string text;
        if (sqlite3_column_type(s, i) == SQLITE_BLOB) {
          static const char kHex[] = "0123456789abcdef";
          for (int k = 0; k < sqlite3_column_bytes(s, i); ++k) {
            text += kHex[data[k] >> 4];
            text += kHex[data[k] & 15];
          }
        } else if (data != nullptr) {
          text.assign(reinterpret_cast<const char*>(data), size_t(sqlite3_column_bytes(s, i)));
        }
        row[sqlite3_column_name(s, i)] = text;
      }
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rows;
  }

  /** The row of a name (the first one), empty when there is none. */
  std::map<std::string, std::string> Row(const std::string& name) const {
    for (auto& row : Rows()) {
      if (row["name"] == name) return row;
    }
    return {};
  }

  void Exec(const std::string& sql) const {
    sqlite3* db = Open();
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
    sqlite3_close(db);
  }

 private:
  ChromiumProfile(std::string path, int version, std::string v11Password, int /*existing*/)
      : m_path(std::move(path)), m_version(version), m_v11(std::move(v11Password)) {}

  sqlite3* Open() const {
    sqlite3* db = nullptr;
    if (sqlite3_open(m_path.c_str(), &db) != SQLITE_OK) std::abort();
    return db;
  }

  std::string m_path;
  int m_version;
  std::string m_v11;
};

}  // namespace tolvane::test
