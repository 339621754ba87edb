#include "app/install_plan.h"

#include "app/target_folder.h"

InstallPlan MakeInstallPlan(const InstallOptions& options) {
  InstallPlan plan;
  ApplicationRegistration& registration = plan.registration;
  registration.folder = NormalizedTargetFolder(options.targetFolder);
  registration.startMenuGroup = options.startMenuGroup;
  registration.desktopShortcut = options.desktopShortcut;
  registration.thumbnailsShortcut = options.thumbnailsShortcut;
  registration.allUsers = options.allUsers;
  for (int row = 0; row < FormatCount; ++row) {
    registration.formatSelection[row] = options.formatSelection[row];
  }
  registration.associateFormats = options.associateFormats;
  plan.settingsFolder = options.settingsFolder;
  plan.unattended = options.unattended;
  return plan;
}

ApplicationRegistration WithoutAssociations(ApplicationRegistration registration) {
  SelectNoFormats(registration.formatSelection);
  registration.associateFormats = 0;
  return registration;
}
