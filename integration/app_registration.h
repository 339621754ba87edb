// Registration of the viewer with the shell, uninstall entry, capabilities, associations.
#pragma once

#include <string>

#include "integration/format_catalogue.h"
#include "integration/registration_failures.h"

// What the registration writes: where the viewer is and what of it the user chose.
struct ApplicationRegistration {
  std::wstring folder;  // absolute, ending in a backslash
  int startMenuGroup = 0;
  int desktopShortcut = 0;
  int thumbnailsShortcut = 0;
  int allUsers = 0;
  // The formats whose extensions the viewer takes over.
  FormatSelection formatSelection = {};
  // The shell is told afterwards that the associations changed.
  int associateFormats = 0;
};

// Always 1. Shortcuts, verbs, identifiers, uninstall entry, capabilities, then the
// association pass and (with associateFormats) the shell refresh. Every key or shortcut
// that cannot be written is noted in failures (when given); the rest is still written.
int RegisterApplication(const ApplicationRegistration& registration,
                        RegistrationFailures* failures = nullptr);
