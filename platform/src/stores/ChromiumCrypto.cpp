#include "ChromiumCrypto.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

namespace platform::detail {
namespace {

constexpr unsigned char kSalt[] = "saltysalt";
constexpr unsigned char kIv[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                   ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

}  // namespace

// One context each way, keyed once: a row then only sets the IV again (a full set-up per row
// fetched the cipher and expanded the key each time, the bulk of a large profile's load).
struct ChromiumCipher::Context {
  EVP_CIPHER_CTX* decrypt = EVP_CIPHER_CTX_new();
  EVP_CIPHER_CTX* encrypt = EVP_CIPHER_CTX_new();
  ~Context() {
    EVP_CIPHER_CTX_free(decrypt);
    EVP_CIPHER_CTX_free(encrypt);
  }
};

ChromiumCipher::ChromiumCipher(std::string_view password) : m_context(new Context) {
  m_valid =
      m_context->decrypt != nullptr && m_context->encrypt != nullptr &&
      PKCS5_PBKDF2_HMAC_SHA1(password.data(), int(password.size()), kSalt, int(sizeof kSalt - 1), 1,
                             int(m_key.size()), m_key.data()) == 1 &&
      EVP_DecryptInit_ex(m_context->decrypt, EVP_aes_128_cbc(), nullptr, m_key.data(), kIv) == 1 &&
      EVP_EncryptInit_ex(m_context->encrypt, EVP_aes_128_cbc(), nullptr, m_key.data(), kIv) == 1;
}

ChromiumCipher::~ChromiumCipher() = default;

bool ChromiumCipher::Decrypt(std::string_view ciphertext, std::string& plain) const {
  if (!m_valid || ciphertext.empty() || ciphertext.size() % 16 != 0) return false;
  EVP_CIPHER_CTX* ctx = m_context->decrypt;
  if (EVP_DecryptInit_ex(ctx, nullptr, nullptr, nullptr, kIv) != 1) return false;
  plain.resize(ciphertext.size() + 16);
  int n = 0, tail = 0;
  auto* out = reinterpret_cast<unsigned char*>(plain.data());
  if (EVP_DecryptUpdate(ctx, out, &n, reinterpret_cast<const unsigned char*>(ciphertext.data()),
                        int(ciphertext.size())) != 1 ||
      EVP_DecryptFinal_ex(ctx, out + n, &tail) != 1) {
    plain.clear();
    return false;
  }
  plain.resize(size_t(n + tail));
  return true;
}

bool ChromiumCipher::Encrypt(std::string_view plain, std::string& ciphertext) const {
  if (!m_valid) return false;
  EVP_CIPHER_CTX* ctx = m_context->encrypt;
  if (EVP_EncryptInit_ex(ctx, nullptr, nullptr, nullptr, kIv) != 1) return false;
  ciphertext.resize(plain.size() + 32);
  int n = 0, tail = 0;
  auto* out = reinterpret_cast<unsigned char*>(ciphertext.data());
  if (EVP_EncryptUpdate(ctx, out, &n, reinterpret_cast<const unsigned char*>(plain.data()),
                        int(plain.size())) != 1 ||
      EVP_EncryptFinal_ex(ctx, out + n, &tail) != 1) {
    ciphertext.clear();
    return false;
  }
  ciphertext.resize(size_t(n + tail));
  return true;
}

std::string Sha256(std::string_view text) {
  std::string digest(SHA256_DIGEST_LENGTH, '\0');
  SHA256(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
         reinterpret_cast<unsigned char*>(digest.data()));
  return digest;
}

}  // namespace platform::detail
