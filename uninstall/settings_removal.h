// Removing the viewer's settings file "lk_main64.ini", wherever the installation put it,
// with the temporary files its conversion leaves beside it.
#pragma once

#include <string>
#include <vector>

// The folder of the settings file of an installation in folder (ending in a backslash):
// the folder "Others"/"INI_Folder" of the program-folder settings file names, references
// expanded, when that is an absolute path on a local drive; folder itself otherwise
// (a relative folder, a network path or a \\?\ path is not followed). Ends in a backslash.
std::wstring SettingsFolderOf(const std::wstring& folder);

// Deletes the settings file and the conversion's temporary files ("lk_main64.ini_" and
// four letters or digits, or "lk_main64.ini_temp*" of earlier versions) in the settings
// folder, then the settings folder when it is another folder and empty, and last those in
// folder; the settings file in folder stays while anything in the settings folder stays.
// Nothing is deleted through a link that an ordinary user could have made (at and above
// the settings folder, or folder, only links that an administrator made are followed; below
// them none). Each file that stays is appended to failures. 1 when none stays.
int RemoveSettings(const std::wstring& folder, std::vector<std::wstring>* failures);
