// Removing the payload's files and folders from the installation folder. Nothing here
// leaves the installation folder through a link (lk::QueryLinkState): below it no link is
// walked into, and the installation folder and those above it are followed only where an
// administrator made them (lk::IsReachableWithoutUntrustedLinks).
#pragma once

#include <string>
#include <vector>

// Told once per removed (or attempted) payload entry.
class RemovalProgress {
 public:
  virtual ~RemovalProgress() = default;
  virtual void Advance() = 0;
};

// Deletes every file entry of the list from folder, except the file keep (a full path,
// may be empty; compared by file identity). Files that are missing already count as
// removed; entries that are links or behind a link are left alone and count as failures,
// as do those that could not be deleted: their paths are appended to failures. 1 when
// every file is gone, 0 otherwise.
int RemovePayloadFiles(const std::wstring& folder, const wchar_t* const* entries, int count,
                       const std::wstring& keep, RemovalProgress* progress,
                       std::vector<std::wstring>* failures);

// Removes the list's folders that are empty, deepest first, then folder itself when empty.
// Links inside are left alone, and so is folder itself when it is a link. 1 when folder is
// gone afterwards.
int RemoveEmptyPayloadFolders(const std::wstring& folder, const wchar_t* const* entries,
                              int count);
