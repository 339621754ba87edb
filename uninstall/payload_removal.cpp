#include "uninstall/payload_removal.h"

#include <windows.h>

#include "framework/file_identity.h"
#include "framework/file_links.h"
#include "framework/path.h"
#include "uninstall/file_deletion.h"

namespace {

bool IsFolderEntry(const wchar_t* entry) {
  const size_t length = wcslen(entry);
  return length > 0 && lk::IsPathSeparator(entry[length - 1]);
}

}  // namespace

int RemovePayloadFiles(const std::wstring& folder, const wchar_t* const* entries, int count,
                       const std::wstring& keep, RemovalProgress* progress,
                       std::vector<std::wstring>* failures) {
  lk::FileIdentity kept;
  const bool hasKept = !keep.empty() && lk::QueryFileIdentity(keep.c_str(), &kept);
  int result = 1;
  for (int i = 0; i < count; ++i) {
    if (progress) progress->Advance();
    if (IsFolderEntry(entries[i])) continue;
    const std::wstring path = folder + entries[i];
    lk::FileIdentity identity;
    if (hasKept && lk::QueryFileIdentity(path.c_str(), &identity) && identity == kept) continue;
    // An entry behind a link, or one that is a link, is never deleted: it is reported.
    if (lk::IsReachableWithoutUntrustedLinks(folder, path) && DeleteFileNoFollow(folder, path)) {
      continue;
    }
    failures->push_back(path);
    result = 0;
  }
  return result;
}

int RemoveEmptyPayloadFolders(const std::wstring& folder, const wchar_t* const* entries,
                              int count) {
  for (int i = count - 1; i >= 0; --i) {
    const std::wstring path = folder + entries[i];
    if (!IsFolderEntry(entries[i]) || !lk::IsReachableWithoutUntrustedLinks(folder, path)) {
      continue;
    }
    RemoveEmptyFolderNoFollow(folder, path);
  }
  // A folder that is a link is never removed: some systems remove what it leads to.
  RemoveEmptyFolderNoFollow(folder, folder);
  return PathExists(folder) ? 0 : 1;
}
