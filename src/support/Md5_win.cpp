// MD5 on Windows, from the platform's CryptoAPI.
#include <windows.h>
#include <wincrypt.h>

#include "support/Md5.h"

namespace epiloom {
namespace {

class CryptProvider {
 public:
  CryptProvider() { ::CryptAcquireContextA(&handle_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT); }
  ~CryptProvider() {
    if (handle_) ::CryptReleaseContext(handle_, 0);
  }
  CryptProvider(const CryptProvider&) = delete;
  CryptProvider& operator=(const CryptProvider&) = delete;
  HCRYPTPROV get() const { return handle_; }

 private:
  HCRYPTPROV handle_ = 0;
};

class CryptHash {
 public:
  explicit CryptHash(HCRYPTPROV provider) { ::CryptCreateHash(provider, CALG_MD5, 0, 0, &handle_); }
  ~CryptHash() {
    if (handle_) ::CryptDestroyHash(handle_);
  }
  CryptHash(const CryptHash&) = delete;
  CryptHash& operator=(const CryptHash&) = delete;
  HCRYPTHASH get() const { return handle_; }

 private:
  HCRYPTHASH handle_ = 0;
};

}  // namespace

std::string Md5Hex(std::string_view bytes) {
  CryptProvider provider;
  if (!provider.get()) return {};
  CryptHash hash(provider.get());
  if (!hash.get()) return {};
  std::size_t done = 0;
  do {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    if (!::CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(bytes.data() + done), chunk, 0)) return {};
    done += chunk;
  } while (done < bytes.size());
  BYTE digest[16];
  DWORD length = sizeof digest;
  if (!::CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &length, 0)) return {};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex;
  for (DWORD i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

}  // namespace epiloom
