#include "payload/payload_source.h"

#include <cstdlib>
#include <cstring>

#include "res/resource.h"

namespace {

// Longest path GetModuleFileNameW can report.
constexpr DWORD kModulePathUnits = 32768;

// A resource of the module, locked in memory; false when it is missing or empty.
bool LockResourceData(HMODULE module, const wchar_t* type, int id, const void** data,
                      DWORD* size) {
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!info) return false;
  HGLOBAL loaded = LoadResource(module, info);
  if (!loaded) return false;
  *data = LockResource(loaded);
  *size = SizeofResource(module, info);
  return *data != nullptr && *size != 0;
}

}  // namespace

bool OpenPayloadSource(PayloadSource* source) {
  source->file.Reset();
  HMODULE self = GetModuleHandleW(nullptr);
  const void* archive = nullptr;
  const void* digest = nullptr;
  DWORD archiveSize = 0;
  DWORD digestSize = 0;
  if (!LockResourceData(self, L"ZIP", IDR_PAYLOAD, &archive, &archiveSize) ||
      !LockResourceData(self, L"DIGEST", IDR_PAYLOAD_DIGEST, &digest, &digestSize) ||
      digestSize != kDigestBytes ||
      !FindImageDataInFile(self, archive, archiveSize, &source->span)) {
    return false;
  }
  memcpy(source->digest, digest, kDigestBytes);
  lk::ScopedMalloc<wchar_t> path(static_cast<wchar_t*>(malloc(kModulePathUnits * sizeof(wchar_t))));
  if (!path) return false;
  const DWORD length = GetModuleFileNameW(nullptr, path.get(), kModulePathUnits);
  if (length == 0 || length >= kModulePathUnits) return false;
  source->file.Reset(CreateFileW(path.get(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(source->file);
}

bool IsPayloadIntact(const PayloadSource& source) {
  BYTE digest[kDigestBytes];
  return source.file && ComputeSpanDigest(source.file.Get(), source.span, digest) &&
         memcmp(digest, source.digest, kDigestBytes) == 0;
}
