// What a complete installation leaves in its folder and in the registry, checked against
// the payload archive the setup carries, so that a changed payload needs no change here.
#pragma once

#include <string>
#include <vector>

#include "support/zip_layout.h"

namespace lktest {

// The entries of the payload archive of the build's setup executable.
std::vector<ZipEntryLayout> PayloadEntries();

// A stored entry name as a path under folder (with its trailing backslash).
std::wstring EntryPath(const std::wstring& folder, const std::string& storedName);

// Every payload file in folder with its size and the archive's time, the settings file in
// its UTF-16 form, and the viewer's registration for folder.
void ExpectCompleteInstallation(const std::wstring& folder);

}  // namespace lktest
