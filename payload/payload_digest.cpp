#include "payload/payload_digest.h"

#include <wincrypt.h>

#include <cstdlib>

#include "framework/scoped_handles.h"

namespace {

// Bytes hashed per read.
constexpr DWORD kChunkBytes = 1 << 18;

void ReleaseProvider(HCRYPTPROV provider) { CryptReleaseContext(provider, 0); }
struct ProviderTraits {
  static HCRYPTPROV Invalid() { return 0; }
  static bool IsValid(HCRYPTPROV p) { return p != 0; }
  static void Close(HCRYPTPROV p) { ReleaseProvider(p); }
};
struct HashTraits {
  static HCRYPTHASH Invalid() { return 0; }
  static bool IsValid(HCRYPTHASH h) { return h != 0; }
  static void Close(HCRYPTHASH h) { CryptDestroyHash(h); }
};
using ScopedProvider = lk::ScopedHandle<HCRYPTPROV, ProviderTraits>;
using ScopedHash = lk::ScopedHandle<HCRYPTHASH, HashTraits>;

bool ReadAt(HANDLE file, ULONGLONG offset, BYTE* buffer, DWORD size) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  return ReadFile(file, buffer, size, &got, &at) && got == size;
}

}  // namespace

bool ComputeSpanDigest(HANDLE file, const FileSpan& span, BYTE (&digest)[kDigestBytes],
                       volatile LONG* stop) {
  ScopedProvider provider;
  if (!CryptAcquireContextW(provider.Receive(), nullptr, nullptr, PROV_RSA_AES,
                            CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
    return false;
  }
  ScopedHash hash;
  if (!CryptCreateHash(provider.Get(), CALG_SHA_256, 0, 0, hash.Receive())) return false;
  lk::ScopedMalloc<BYTE> buffer(static_cast<BYTE*>(malloc(kChunkBytes)));
  if (!buffer) return false;
  for (ULONGLONG done = 0; done < span.size;) {
    const ULONGLONG left = span.size - done;
    const DWORD chunk = left < kChunkBytes ? static_cast<DWORD>(left) : kChunkBytes;
    if (stop && InterlockedCompareExchange(stop, 0, 0) != 0) return false;
    if (!ReadAt(file, span.offset + done, buffer.get(), chunk) ||
        !CryptHashData(hash.Get(), buffer.get(), chunk, 0)) {
      return false;
    }
    done += chunk;
  }
  DWORD length = kDigestBytes;
  return CryptGetHashParam(hash.Get(), HP_HASHVAL, digest, &length, 0) && length == kDigestBytes;
}
