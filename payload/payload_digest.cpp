#include "payload/payload_digest.h"

#include <wincrypt.h>

#include <cstdlib>

#include "framework/scoped_handles.h"
#include "payload/sha256_extensions.h"

namespace {

static_assert(Sha256Extensions::kDigestBytes == kDigestBytes, "one digest size");

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

// Reads span of file in chunks and hands each to add; false when a read falls short, add
// refuses, or stop became nonzero.
template <typename Add>
bool ReadSpan(HANDLE file, const FileSpan& span, volatile LONG* stop, Add add) {
  lk::ScopedMalloc<BYTE> buffer(static_cast<BYTE*>(malloc(kChunkBytes)));
  if (!buffer) return false;
  for (ULONGLONG done = 0; done < span.size;) {
    const ULONGLONG left = span.size - done;
    const DWORD chunk = left < kChunkBytes ? static_cast<DWORD>(left) : kChunkBytes;
    if (stop && InterlockedCompareExchange(stop, 0, 0) != 0) return false;
    if (!ReadAt(file, span.offset + done, buffer.get(), chunk) || !add(buffer.get(), chunk)) {
      return false;
    }
    done += chunk;
  }
  return true;
}

bool ComputeWithExtensions(HANDLE file, const FileSpan& span, BYTE (&digest)[kDigestBytes],
                           volatile LONG* stop) {
  Sha256Extensions hash;
  if (!ReadSpan(file, span, stop, [&](const BYTE* data, DWORD size) {
        hash.Add(data, size);
        return true;
      })) {
    return false;
  }
  hash.Finish(digest);
  return true;
}

}  // namespace

bool ComputeSpanDigest(HANDLE file, const FileSpan& span, BYTE (&digest)[kDigestBytes],
                       volatile LONG* stop) {
  if (HasShaExtensions()) return ComputeWithExtensions(file, span, digest, stop);
  return ComputeSpanDigestWithProvider(file, span, digest, stop);
}

bool ComputeSpanDigestWithProvider(HANDLE file, const FileSpan& span,
                                   BYTE (&digest)[kDigestBytes], volatile LONG* stop) {
  ScopedProvider provider;
  if (!CryptAcquireContextW(provider.Receive(), nullptr, nullptr, PROV_RSA_AES,
                            CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
    return false;
  }
  ScopedHash hash;
  if (!CryptCreateHash(provider.Get(), CALG_SHA_256, 0, 0, hash.Receive())) return false;
  if (!ReadSpan(file, span, stop, [&](const BYTE* data, DWORD size) {
        return CryptHashData(hash.Get(), data, size, 0) != FALSE;
      })) {
    return false;
  }
  DWORD length = kDigestBytes;
  return CryptGetHashParam(hash.Get(), HP_HASHVAL, digest, &length, 0) && length == kDigestBytes;
}
