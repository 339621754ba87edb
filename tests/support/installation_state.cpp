#include "support/installation_state.h"

#include <shlobj.h>

#include <cwchar>

#include "framework/registry.h"
#include "integration/format_catalogue.h"
#include "support/expected_installation.h"
#include "support/registry_reader.h"
#include "support/test_support.h"

namespace lktest {

namespace {

constexpr const wchar_t* kRegistrationTrees[] = {
    kIdentifierKey,
    L"SOFTWARE\\Classes\\Applications\\lk_main64.exe",
    kDirectoryVerbKey,
    kDriveVerbKey,
    kUninstallKey,
    L"SOFTWARE\\Lumenkast",
};

bool NamesLumenkast(HKEY root, const std::wstring& key, const wchar_t* name) {
  const RegValue value = QueryRegValue(root, key, name);
  if (!value.exists || value.type != REG_SZ) return false;
  return wcsncmp(reinterpret_cast<const wchar_t*>(value.data.data()), L"Lumenkast.", 10) == 0;
}

// Keys an installation creates in a fresh prefix around its own, removed when empty.
constexpr const wchar_t* kSurroundingKeys[] = {
    L"SOFTWARE\\Classes\\Directory\\shell", L"SOFTWARE\\Classes\\Directory",
    L"SOFTWARE\\Classes\\Drive\\shell", L"SOFTWARE\\Classes\\Drive",
};
constexpr wchar_t kFileExtsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

// An extension's owner and explorer choice, when they name one of the viewer's identifiers,
// and the other program's owner the setup kept aside.
void ReleaseExtension(const std::wstring& extension) {
  const std::wstring classKey = L"SOFTWARE\\Classes\\." + extension;
  if (NamesLumenkast(HKEY_LOCAL_MACHINE, classKey, nullptr)) {
    lk::DeleteRegistryValue(HKEY_LOCAL_MACHINE, classKey, nullptr);
  }
  lk::DeleteRegistryValue(HKEY_LOCAL_MACHINE, classKey, L"Lumenkast_Backup");
  lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, classKey);
  const std::wstring choice = ExplorerChoiceKey(extension);
  if (NamesLumenkast(HKEY_CURRENT_USER, choice, L"Progid")) {
    RegDeleteTreeW(HKEY_CURRENT_USER, choice.c_str());
  }
  lk::DeleteKeyIfEmpty(HKEY_CURRENT_USER, std::wstring(kFileExtsKey) + L"\\." + extension);
}

}  // namespace

int RunSetup(const std::wstring& arguments, const std::wstring& directory) {
  return RunProcess(L"\"" + std::wstring(LK_SETUP_EXE) + L"\" " + arguments, directory);
}

void RemoveRegistration() {
  for (const wchar_t* tree : kRegistrationTrees) RegDeleteTreeW(HKEY_LOCAL_MACHINE, tree);
  for (const FormatEntry& format : FormatCatalogue) {
    for (int i = 0; i < format.extensionCount; ++i) {
      const FormatExtension& e = format.extensions[i];
      RegDeleteTreeW(HKEY_LOCAL_MACHINE,
                     (std::wstring(L"SOFTWARE\\Classes\\Lumenkast.") + e.typeKey).c_str());
      ReleaseExtension(e.extension);
    }
  }
  lk::DeleteRegistryValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", L"Lumenkast");
  for (const wchar_t* key : kAppXOverrideKeys) RegDeleteTreeW(HKEY_CURRENT_USER, key);
  for (const wchar_t* key : kSurroundingKeys) lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, key);
  lk::DeleteKeyIfEmpty(HKEY_CURRENT_USER, kFileExtsKey);
}

void CreateRegisteredApplicationsList() {
  lk::RegistryKey().Create(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications");
}

std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  std::wstring folder = path;
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

void RemoveShortcuts() {
  for (int desktop : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY}) {
    for (const wchar_t* name : kDesktopLinkNames) {
      DeleteFileW((SpecialFolder(desktop) + name).c_str());
    }
  }
  for (int programs : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
    RemoveTree(SpecialFolder(programs) + L"Lumenkast");
  }
}

HWND StartViewerStandIn(DWORD timeoutMs) {
  PROCESS_INFORMATION process = {};
  const std::wstring command =
      L"\"" + std::wstring(LK_BUILD_DIR) + L"\\payload\\standins\\lk_main64.exe\"";
  if (!StartProcess(command, L"", 0, &process)) return nullptr;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return WaitForViewerWindow(timeoutMs);
}

HWND WaitForViewerWindow(DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindWindowW(L"Lumenkast", nullptr)) return window;
    if (GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(100);
  }
}

void CloseViewerWindows() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    HWND window = FindWindowW(L"Lumenkast", nullptr);
    if (!window) return;
    PostMessageW(window, WM_CLOSE, 0, 0);
    Sleep(100);
  }
}

ScopedRegString::ScopedRegString(HKEY root, const std::wstring& key, const wchar_t* name,
                                 const std::wstring& data)
    : root_(root), key_(key), name_(name ? name : L""), has_name_(name != nullptr) {
  const RegValue old = QueryRegValue(root, key, name);
  if (old.exists && old.type == REG_SZ) {
    hadValue_ = true;
    old_.assign(reinterpret_cast<const wchar_t*>(old.data.data()),
                old.data.size() / sizeof(wchar_t));
    old_.resize(wcslen(old_.c_str()));
  }
  WriteRegString(root, key, name, data);
}

ScopedRegString::~ScopedRegString() {
  const wchar_t* name = has_name_ ? name_.c_str() : nullptr;
  if (hadValue_) {
    WriteRegString(root_, key_, name, old_);
  } else {
    lk::DeleteRegistryValue(root_, key_, name);
  }
}

ScopedWineVersion::ScopedWineVersion(const wchar_t* version)
    : setting_(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", version) {}

ScopedWineVersion::~ScopedWineVersion() = default;

}  // namespace lktest
