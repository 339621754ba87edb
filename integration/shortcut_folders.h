// Where the shortcuts of an installation are: one lookup for the setup that saves them and
// the uninstaller that removes them, so that both always name the same files.
#pragma once

#include <string>

namespace lk {

// The desktop of the current user, or with allUsers the one shared by all users.
std::wstring DesktopFolder(int allUsers);

// The programs folder of the start menu (the current user's, or with allUsers the shared
// one); the group folder kGroupFolder is below it.
std::wstring ProgramsFolder(int allUsers);

}  // namespace lk
