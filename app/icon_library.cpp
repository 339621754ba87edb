#include "app/icon_library.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "app/product_info.h"
#include "app/system_library.h"
#include "framework/scoped_handles.h"

namespace {

constexpr wchar_t kReferenceVersion[] = L"4.30";
constexpr long kReferenceIconLibrarySize = 226816;
constexpr wchar_t kCompanyQuery[] = L"\\StringFileInfo\\040904E4\\CompanyName";

// The system C runtime's wcstod: in C++ the headers route wcstod to MinGW's own, whose
// long-double conversion code would make up a tenth of the setup program.
extern "C" double SystemWcstod(const wchar_t* text, wchar_t** end) __asm__("wcstod");

// The version-resource functions of version.dll, loaded from the system folder.
class VersionLibrary {
 public:
  VersionLibrary() : module_(LoadSystemLibrary(L"version.dll")) {
    if (!module_) return;
    size_ = reinterpret_cast<SizeFn>(Lookup("GetFileVersionInfoSizeW"));
    info_ = reinterpret_cast<InfoFn>(Lookup("GetFileVersionInfoW"));
    query_ = reinterpret_cast<QueryFn>(Lookup("VerQueryValueW"));
  }
  bool IsLoaded() const { return size_ && info_ && query_; }
  DWORD InfoSize(const wchar_t* path) const {
    DWORD handle = 0;
    return size_(path, &handle);
  }
  bool Info(const wchar_t* path, DWORD size, void* data) const {
    return info_(path, 0, size, data) != FALSE;
  }
  bool Query(const void* data, const wchar_t* block, void** value, UINT* length) const {
    return query_(data, block, value, length) != FALSE;
  }

 private:
  using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  void* Lookup(const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(module_.Get(), name));
  }

  lk::ScopedModule module_;
  SizeFn size_ = nullptr;
  InfoFn info_ = nullptr;
  QueryFn query_ = nullptr;
};

// Version text as "%d.%d%d" and company name of a file; false without a fixed version.
bool ReadLibraryVersion(const wchar_t* path, wchar_t (&version)[64], wchar_t (&company)[MAX_PATH]) {
  VersionLibrary library;
  if (!library.IsLoaded()) return false;
  DWORD size = library.InfoSize(path);
  if (size == 0) return false;
  lk::ScopedMalloc<void> data(calloc(size, sizeof(wchar_t)));
  if (!data) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  bool ok = library.Info(path, size, data.get()) &&
            library.Query(data.get(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed;
  if (ok) {
    _snwprintf(version, 63, L"%d.%d%d", HIWORD(fixed->dwProductVersionMS),
             LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwFileVersionLS));
    company[0] = L'\0';
    wchar_t* name = nullptr;
    if (library.Query(data.get(), kCompanyQuery, reinterpret_cast<void**>(&name), &length) && name) {
      wcsncpy(company, name, MAX_PATH - 1);
      company[MAX_PATH - 1] = L'\0';
    }
  }
  return ok;
}

// A version text as the viewer's versions compare: single precision, times 1000, cut.
int VersionNumber(const wchar_t* text) {
  float value = static_cast<float>(SystemWcstod(text, nullptr));
  return static_cast<int>(value * 1000.0f);
}

long FileSize(const wchar_t* path) {
  lk::ScopedCFile file(_wfopen(path, L"rb"));
  if (!file) return -1;
  fseek(file.Get(), 0, SEEK_END);
  return ftell(file.Get());
}

}  // namespace

int IconLibraryDecision(const wchar_t* iconLibraryPath) {
  wchar_t version[64] = {};
  wchar_t company[MAX_PATH] = {};
  if (!ReadLibraryVersion(iconLibraryPath, version, company)) return 0;

  const int installed = VersionNumber(version);
  const int reference = VersionNumber(kReferenceVersion);
  bool keep = false;
  if (installed > reference) {
    keep = true;
  } else if (installed == reference && FileSize(iconLibraryPath) != kReferenceIconLibrarySize) {
    keep = true;
  }
  if (_wcsicmp(company, lk::kPublisher) != 0) keep = true;
  return keep ? 1 : 0;
}
