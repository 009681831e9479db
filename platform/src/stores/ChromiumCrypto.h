// The value encryption of Chromium-family browsers on Linux, over OpenSSL: "v10" values under
// the fixed key every build knows, "v11" values under a key made from the password the browser
// keeps in the Secret Service. AES-128-CBC, an IV of sixteen spaces, PKCS#7 padding; the key is
// PBKDF2-HMAC-SHA1 of the password with the salt "saltysalt", one iteration, 16 bytes.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace platform::detail {

class ChromiumCipher {
 public:
  /** A cipher whose key is derived from the password ("peanuts" for v10). */
  explicit ChromiumCipher(std::string_view password);
  ~ChromiumCipher();
  ChromiumCipher(const ChromiumCipher&) = delete;
  ChromiumCipher& operator=(const ChromiumCipher&) = delete;

  /** The plain bytes of the ciphertext (without its "v1x" tag); false when it does not decrypt
   *  under this key (a wrong key shows as bad padding most of the time). */
  bool Decrypt(std::string_view ciphertext, std::string& plain) const;
  /** The ciphertext of the plain bytes (without a tag). */
  bool Encrypt(std::string_view plain, std::string& ciphertext) const;

  /** Whether the key could be derived at all. */
  bool Valid() const { return m_valid; }

 private:
  struct Context;
  std::array<unsigned char, 16> m_key{};
  bool m_valid = false;
  std::unique_ptr<Context> m_context;  // reused: one per row is the cost of a large profile
};

/** The 32 bytes of SHA-256 of the text (the prefix version 24 puts before each value). */
std::string Sha256(std::string_view text);

/** The fixed password of v10 values on Linux. */
inline constexpr std::string_view kChromiumV10Password = "peanuts";

}  // namespace platform::detail
