// Points the programs folders (current user and all users) of this process at fresh
// temporary folders, so that tests of the start-menu group leave the prefix's folders
// alone. Needs an active ScratchRegistry: the shell reads the folder locations from the
// (redirected) "User Shell Folders" keys. The desktop cannot be moved this way: the shell
// keeps the desktop folder it saw first for the whole process.
#pragma once

#include <string>

#include "support/test_support.h"

namespace lktest {

class RedirectedShellFolders {
 public:
  RedirectedShellFolders();
  // Each path ends in a backslash.
  std::wstring UserPrograms() const { return root_ / L"UserPrograms\\"; }
  std::wstring CommonPrograms() const { return root_ / L"CommonPrograms\\"; }

 private:
  TempFolder root_;
};

}  // namespace lktest
