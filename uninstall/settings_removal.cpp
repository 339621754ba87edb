#include "uninstall/settings_removal.h"

#include <windows.h>

#include "app/settings_file.h"

namespace {

constexpr wchar_t kSettingsFileName[] = L"lk_main64.ini";

std::wstring WithBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring SettingsFolderOf(const std::wstring& folder) {
  wchar_t named[MAX_PATH] = {};
  GetPrivateProfileStringW(L"Others", L"INI_Folder", L"", named, MAX_PATH,
                           (folder + kSettingsFileName).c_str());
  wchar_t expanded[MAX_PATH] = {};
  ExpandVariableReferences(named, expanded);
  // Blanks around the folder are dropped, as the setup drops them when it creates it.
  std::wstring text = expanded;
  text.erase(0, text.find_first_not_of(L' '));
  text.erase(text.find_last_not_of(L' ') + 1);
  return text.empty() ? folder : WithBackslash(text);
}

int RemoveSettings(const std::wstring& folder) {
  const std::wstring settingsFolder = SettingsFolderOf(folder);
  const std::wstring settingsFile = settingsFolder + kSettingsFileName;
  DeleteFileW(settingsFile.c_str());
  DeleteFileW((folder + kSettingsFileName).c_str());
  if (!SameFolder(settingsFolder, folder)) RemoveDirectoryW(settingsFolder.c_str());
  return GetFileAttributesW(settingsFile.c_str()) == INVALID_FILE_ATTRIBUTES ? 1 : 0;
}
