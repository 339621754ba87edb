// Reads a shell link (.lnk) back through IShellLinkW::Load, as the shell would see it.
#pragma once

#include <string>

namespace lktest {

struct ShellLinkInfo {
  std::wstring target;
  std::wstring arguments;
  std::wstring description;
  std::wstring iconFile;
  int iconIndex = 0;
  std::wstring workingDirectory;
};

// False when the file cannot be loaded as a shell link.
bool ReadShellLink(const std::wstring& path, ShellLinkInfo* info);

}  // namespace lktest
