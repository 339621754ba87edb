// One complete installation from the choices of InstallOptions.
#pragma once

#include <cstdint>

// 1 when the payload was unpacked and the later steps ran; 0 after a failure that has
// been reported (message box in the wizard, install log when unattended).
int RunInstallation(const wchar_t* targetFolder, int startMenuGroup, int desktopShortcut,
                    int thumbnailsShortcut, int allUsers, const wchar_t* settingsFolder,
                    int32_t* formatSelection, int associateFormats, int unattended);

// 1 when the icon library installed at iconLibraryPath is to be kept (newer than 4.30,
// 4.30 of another size, or not the maker's), 0 when the shipped one replaces it.
int IconLibraryDecision(const wchar_t* iconLibraryPath);
