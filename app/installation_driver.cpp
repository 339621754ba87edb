#include "app/installation_driver.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "app/install_log.h"
#include "app/settings_file.h"
#include "app/string_table.h"
#include "app/system_library.h"
#include "app/target_folder.h"
#include "framework/scoped_handles.h"
#include "integration/app_registration.h"
#include "integration/format_catalogue.h"
#include "payload/payload_extraction.h"
#include "res/resource.h"

namespace {

constexpr wchar_t kReferenceVersion[] = L"4.30";
constexpr long kReferenceIconLibrarySize = 226816;
constexpr wchar_t kMakerCompany[] = L"Orrin Halvask";
constexpr wchar_t kCompanyQuery[] = L"\\StringFileInfo\\040904E4\\CompanyName";

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
  void* data = calloc(size, sizeof(wchar_t));
  if (!data) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  bool ok = library.Info(path, size, data) &&
            library.Query(data, L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed;
  if (ok) {
    swprintf(version, 64, L"%d.%d%d", HIWORD(fixed->dwProductVersionMS),
             LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwFileVersionLS));
    company[0] = L'\0';
    wchar_t* name = nullptr;
    if (library.Query(data, kCompanyQuery, reinterpret_cast<void**>(&name), &length) && name) {
      wcsncpy(company, name, MAX_PATH - 1);
      company[MAX_PATH - 1] = L'\0';
    }
  }
  free(data);
  return ok;
}

// A version text as the viewer's versions compare: single precision, times 1000, cut.
int VersionNumber(const wchar_t* text) {
  float value = static_cast<float>(wcstod(text, nullptr));
  return static_cast<int>(value * 1000.0f);
}

long FileSize(const wchar_t* path) {
  FILE* file = _wfopen(path, L"rb");
  if (!file) return -1;
  fseek(file, 0, SEEK_END);
  long size = ftell(file);
  fclose(file);
  return size;
}

// A failure: a message box with the text in the wizard, the log entry when unattended.
void ReportFailure(int unattended, const std::wstring& text, const std::wstring& logEntry) {
  if (unattended) {
    AppendInstallLog(logEntry.c_str());
    return;
  }
  std::wstring caption = LoadResString(IDS_CAPTION);
  MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), MB_ICONERROR);
}

bool ConfirmAssociations() {
  std::wstring caption = LoadResString(IDS_CAPTION);
  std::wstring text = LoadResString(IDS_CONFIRM_ASSOCIATIONS);
  return MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDNO;
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
  if (_wcsicmp(company, kMakerCompany) != 0) keep = true;
  return keep ? 1 : 0;
}

int RunInstallation(const wchar_t* targetFolder, int startMenuGroup, int desktopShortcut,
                    int thumbnailsShortcut, int allUsers, const wchar_t* settingsFolder,
                    int32_t* formatSelection, int associateFormats, int unattended) {
  wchar_t working[MAX_PATH] = {};
  wcsncpy(working, targetFolder, MAX_PATH - 1);
  if (working[0] == L'\0') {
    std::wstring text = LoadResString(IDS_INVALID_FOLDER);
    ReportFailure(unattended, text, text + L": " + working);
    return 0;
  }
  if (!CreateFolderTree(working)) {
    std::wstring text = LoadResString(IDS_CANNOT_CREATE_FOLDER);
    ReportFailure(unattended, text, text + L": " + working);
    return 0;
  }

  wchar_t plugins[MAX_PATH] = {};
  _snwprintf(plugins, MAX_PATH - 1, L"%lsPlugins", working);
  CreateFolderTree(plugins);
  wchar_t iconLibrary[MAX_PATH] = {};
  _snwprintf(iconLibrary, MAX_PATH - 1, L"%lsIcons.dll", plugins);
  const int keepIconLibrary = IconLibraryDecision(iconLibrary);

  if (ExtractPayload(working, keepIconLibrary) != 0) {
    std::wstring text = LoadResString(IDS_INSTALL_FAILED);
    ReportFailure(unattended, text, working + (L": " + text));
    return 0;
  }

  wchar_t settingsFile[MAX_PATH] = {};
  PrepareSettingsFile(targetFolder, settingsFolder, settingsFile);

  if (associateFormats && !unattended && !ConfirmAssociations()) {
    for (int row = 0; row < FormatCount; ++row) formatSelection[row] = 0;
    associateFormats = 0;
  }
  RegisterApplication(associateFormats, targetFolder, startMenuGroup, desktopShortcut,
                      thumbnailsShortcut, allUsers, formatSelection);

  if (FILE* file = _wfopen(settingsFile, L"rb")) ConvertSettingsToUnicode(settingsFile, file);
  return 1;
}
