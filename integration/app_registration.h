// Registration of the viewer with the shell, uninstall entry, capabilities, associations.
#pragma once

#include <cstdint>

// Always 1. Shortcuts, verbs, identifiers, uninstall entry, capabilities, then the
// association pass and (with associateFormats) the shell refresh.
int RegisterApplication(int associateFormats, const wchar_t* installationFolder,
                        int startMenuGroup, int desktopShortcut, int thumbnailsShortcut,
                        int allUsers, const int32_t* selection);
