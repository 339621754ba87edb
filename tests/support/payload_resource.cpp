#include "support/payload_resource.h"

#include <windows.h>

#include "framework/scoped_handles.h"
#include "payload/payload_digest.h"

namespace lktest {

namespace {

constexpr wchar_t kPayloadType[] = L"ZIP";
const wchar_t* const kPayloadName = MAKEINTRESOURCEW(210);
constexpr wchar_t kDigestType[] = L"DIGEST";
const wchar_t* const kDigestName = MAKEINTRESOURCEW(211);

// SHA-256 of bytes, through the same provider the setup uses, from a scratch file.
bool DigestOf(const std::string& bytes, BYTE (&digest)[kDigestBytes]) {
  wchar_t folder[MAX_PATH] = {}, path[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  if (!GetTempFileNameW(folder, L"dig", 0, path)) return false;
  bool done = false;
  {
    lk::ScopedFileHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                          nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    done = file &&
           WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size() &&
           ComputeSpanDigest(file.Get(), FileSpan{0, bytes.size()}, digest);
  }
  DeleteFileW(path);
  return done;
}

BOOL CALLBACK TakeLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
  *reinterpret_cast<WORD*>(found) = language;
  return FALSE;
}

lk::ScopedModule LoadAsData(const std::wstring& executable) {
  const DWORD flags = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE;
  return lk::ScopedModule(LoadLibraryExW(executable.c_str(), nullptr, flags));
}

// The language the payload resource is stored under.
bool PayloadLanguage(const std::wstring& executable, WORD* language) {
  lk::ScopedModule module = LoadAsData(executable);
  if (!module) return false;
  *language = 0xFFFF;
  EnumResourceLanguagesW(module.Get(), kPayloadType, kPayloadName, TakeLanguage,
                         reinterpret_cast<LONG_PTR>(language));
  return *language != 0xFFFF;
}

}  // namespace

std::string ReadPayloadResource(const std::wstring& executable) {
  lk::ScopedModule module = LoadAsData(executable);
  if (!module) return std::string();
  HRSRC info = FindResourceW(module.Get(), kPayloadName, kPayloadType);
  HGLOBAL loaded = info ? LoadResource(module.Get(), info) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return std::string();
  return std::string(static_cast<const char*>(data), SizeofResource(module.Get(), info));
}

bool CopySetupWithPayload(const std::wstring& executable, const std::wstring& copy,
                          const std::string& archive, bool keepDigest) {
  WORD language = 0;
  if (!PayloadLanguage(executable, &language)) return false;
  BYTE digest[kDigestBytes] = {};
  if (!keepDigest && !DigestOf(archive, digest)) return false;
  if (!CopyFileW(executable.c_str(), copy.c_str(), FALSE)) return false;
  HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
  if (!update) return false;
  const BOOL replaced =
      UpdateResourceW(update, kPayloadType, kPayloadName, language,
                      const_cast<char*>(archive.data()), static_cast<DWORD>(archive.size())) &&
      (keepDigest ||
       UpdateResourceW(update, kDigestType, kDigestName, language, digest, sizeof(digest)));
  return EndUpdateResourceW(update, !replaced) && replaced;
}

}  // namespace lktest
