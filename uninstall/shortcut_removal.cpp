#include "uninstall/shortcut_removal.h"

#include <windows.h>

#include "framework/file_links.h"
#include "integration/shortcut_folders.h"
#include "integration/shortcut_names.h"

namespace {

constexpr int kScopes[] = {0, 1};  // the current user, all users

// Deletes one link file. Nothing of that name, or a folder of that name (not a link the
// setup saved), is nothing to remove; a file that stays is a failure.
void RemoveLink(const std::wstring& path, std::vector<std::wstring>* failures) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (!DeleteFileW(path.c_str()) && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    failures->push_back(path);
  }
}

// A plain folder: not a link, and no reparse point of any kind by its name's attributes (the
// by-handle query does not see every one: under Wine it follows a Unix link).
bool IsPlainFolder(const std::wstring& folder) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         lk::QueryLinkState(folder.c_str()) == lk::LinkState::kPlain;
}

// The group's links and the group folder when nothing else is in it. A group folder that
// is a link to somewhere else is not the one the setup created: nothing is deleted in it.
void RemoveGroup(const std::wstring& programs, std::vector<std::wstring>* failures) {
  const std::wstring folder = programs + lk::kGroupFolder;
  if (!IsPlainFolder(folder)) return;
  const std::wstring group = folder + L"\\";
  for (const std::wstring& name :
       {lk::VersionLinkName(), std::wstring(lk::kGroupThumbnailsLinkName),
        std::wstring(lk::kGroupUninstallLinkName)}) {
    RemoveLink(group + name, failures);
  }
  for (const lk::DocumentLink& link : lk::kDocumentLinks) {
    RemoveLink(group + link.fileName, failures);
  }
  RemoveDirectoryW(group.c_str());  // only when empty
}

}  // namespace

int RemoveShortcuts(std::vector<std::wstring>* failures) {
  const size_t before = failures->size();
  for (int allUsers : kScopes) {
    const std::wstring desktop = lk::DesktopFolder(allUsers);
    RemoveLink(desktop + lk::kDesktopLinkName, failures);
    RemoveLink(desktop + lk::kDesktopThumbnailsLinkName, failures);
    RemoveGroup(lk::ProgramsFolder(allUsers), failures);
  }
  return failures->size() == before ? 1 : 0;
}
