// Removing the viewer's settings file "lk_main64.ini", wherever the installation put it.
#pragma once

#include <string>

// The folder of the settings file of an installation in folder (ending in a backslash):
// the folder "Others"/"INI_Folder" of the program-folder settings file names, references
// expanded, when it names one; folder itself otherwise. Ends in a backslash.
std::wstring SettingsFolderOf(const std::wstring& folder);

// Deletes the settings file and the program-folder settings file, then the settings
// folder when it is another folder and empty. 1 when the settings file is gone.
int RemoveSettings(const std::wstring& folder);
