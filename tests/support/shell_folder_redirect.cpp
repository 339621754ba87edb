#include "support/shell_folder_redirect.h"

#include <windows.h>

#include "support/registry_reader.h"

namespace lktest {

namespace {

constexpr wchar_t kUserShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

void Redirect(HKEY root, const wchar_t* name, const std::wstring& folder) {
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder.substr(0, folder.size() - 1);  // without the backslash
  WriteRegString(root, kUserShellFolders, name, path);
  WriteRegString(root, kShellFolders, name, path);
}

}  // namespace

RedirectedShellFolders::RedirectedShellFolders() {
  Redirect(HKEY_CURRENT_USER, L"Programs", UserPrograms());
  Redirect(HKEY_LOCAL_MACHINE, L"Common Programs", CommonPrograms());
}

}  // namespace lktest
