#include "uninstall/settings_removal.h"

#include <windows.h>

#include "app/product_info.h"
#include "app/settings_file.h"
#include "app/target_folder.h"
#include "framework/file_identity.h"
#include "framework/file_links.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"
#include "framework/unique_file.h"
#include "uninstall/file_deletion.h"

namespace {

bool StartsWithIgnoringCase(const std::wstring& text, const wchar_t* prefix) {
  const size_t length = wcslen(prefix);
  return text.size() >= length && lk::SamePathText(text.substr(0, length), prefix);
}

// The conversion's temporary files: the prefix and the unique letters or digits this
// version writes, or "temp" and more as earlier versions wrote. Other names that merely
// start like them are not the product's.
bool IsSettingsTempFileName(const wchar_t* name) {
  if (!StartsWithIgnoringCase(name, lk::kSettingsTempFilePrefix)) return false;
  const std::wstring rest = name + wcslen(lk::kSettingsTempFilePrefix);
  if (StartsWithIgnoringCase(rest, L"temp")) return true;
  if (rest.size() != lk::kUniqueNameChars) return false;
  for (wchar_t c : rest) {
    if (!iswalnum(c)) return false;
  }
  return true;
}

// The settings file's names in place: the file itself and the conversion's temporary files.
std::vector<std::wstring> SettingsFilesIn(const std::wstring& place) {
  std::vector<std::wstring> files = {place + lk::kSettingsFileName};
  WIN32_FIND_DATAW found;
  lk::ScopedFindHandle search(
      FindFirstFileW((place + lk::kSettingsTempFilePrefix + L"*").c_str(), &found));
  if (!search) return files;
  do {
    // The search also matches short 8.3 names: only the long name counts.
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        IsSettingsTempFileName(found.cFileName)) {
      files.push_back(place + found.cFileName);
    }
  } while (FindNextFileW(search.Get(), &found));
  return files;
}

// Deletes the settings files in place, which lies in or below chosen (the folder the
// installation was told to use): a file reached through a link that an ordinary user could
// have made is never deleted, and counts as staying. The settings file itself goes only
// with keepSettingsFile false.
int RemoveSettingsFilesIn(const std::wstring& chosen, const std::wstring& place,
                          bool keepSettingsFile, std::vector<std::wstring>* failures) {
  int result = 1;
  for (const std::wstring& file : SettingsFilesIn(place)) {
    if (keepSettingsFile && lk::SamePathText(file, place + lk::kSettingsFileName)) continue;
    if (lk::IsReachableWithoutUntrustedLinks(chosen, file) && DeleteFileNoFollow(chosen, file)) {
      continue;
    }
    failures->push_back(file);
    result = 0;
  }
  return result;
}

}  // namespace

std::wstring SettingsFolderOf(const std::wstring& folder) {
  wchar_t named[MAX_PATH] = {};
  GetPrivateProfileStringW(L"Others", L"INI_Folder", L"", named, MAX_PATH,
                           (folder + lk::kSettingsFileName).c_str());
  wchar_t expanded[MAX_PATH] = {};
  ExpandVariableReferences(named, expanded);
  // Blanks around the folder are dropped, as the setup drops them when it creates it.
  TrimSpaces(expanded);
  if (!IsAbsoluteDriveFolder(expanded)) return folder;
  return lk::WithTrailingBackslash(expanded);
}

int RemoveSettings(const std::wstring& folder, std::vector<std::wstring>* failures) {
  const std::wstring settingsFolder = SettingsFolderOf(folder);
  const bool elsewhere = !lk::SamePathText(settingsFolder, folder) &&
                         !lk::IsSameFile(settingsFolder.c_str(), folder.c_str());
  int result = 1;
  if (elsewhere) {
    result = RemoveSettingsFilesIn(settingsFolder, settingsFolder, false, failures);
    if (result && lk::IsReachableWithoutUntrustedLinks(settingsFolder, settingsFolder)) {
      RemoveEmptyFolderNoFollow(settingsFolder, settingsFolder);
    }
  }
  // The settings file next to the viewer is the only record of the settings folder: while
  // anything stays there, it stays too, so that the next run finds the folder again.
  result &= RemoveSettingsFilesIn(folder, folder, !result, failures);
  return result;
}
