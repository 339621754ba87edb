// The plan of one installation: what the steps after the check of the options work from,
// made once from InstallOptions and read, never changed, by each of them.
#pragma once

#include <string>

#include "app/install_options.h"
#include "integration/app_registration.h"

struct InstallPlan {
  // The target folder (registration.folder: absolute, the blanks at the end of each
  // component trimmed, ending in a backslash; empty when the chosen folder is only blanks)
  // and the shortcut and association choices.
  ApplicationRegistration registration;
  // As chosen (it may hold variables); empty: next to the viewer.
  std::wstring settingsFolder;
  int unattended = 0;
};

// The plan of options, whose target folder is an absolute path on a drive.
InstallPlan MakeInstallPlan(const InstallOptions& options);

// registration with no format taking the viewer as its owner: the rest is written as chosen.
ApplicationRegistration WithoutAssociations(ApplicationRegistration registration);
