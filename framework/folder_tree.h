// Making a folder together with the folders above it that are missing.
#pragma once

#include <functional>
#include <string>

namespace lk {

// Makes one folder; false, with the system's last error, when it was not made (one that
// exists already is not made either).
using FolderMaker = std::function<bool(const std::wstring& folder)>;

// Offers each folder of path to makeFolder from the top down: the path up to each separator
// after the first character (a network path's leading "\\" is no folder of its own), then
// the whole path. Stops with false at the first that could not be made because a folder
// above it is missing; true otherwise, whether or not it existed before. Whether the folder
// can be used afterwards is the caller's to check.
bool MakeFolderTree(const std::wstring& path, const FolderMaker& makeFolder);

}  // namespace lk
