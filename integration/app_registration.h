// Registration of the viewer with the shell, uninstall entry, capabilities, associations.
#pragma once

#include <cstdint>

#include "integration/registration_failures.h"

// Always 1. Shortcuts, verbs, identifiers, uninstall entry, capabilities, then the
// association pass and (with associateFormats) the shell refresh. Every key or shortcut
// that cannot be written is noted in failures (when given); the rest is still written.
int RegisterApplication(int associateFormats, const wchar_t* installationFolder,
                        int startMenuGroup, int desktopShortcut, int thumbnailsShortcut,
                        int allUsers, const int32_t* selection,
                        RegistrationFailures* failures = nullptr);
