#include "app/the_app.h"

#include "app/command_line.h"
#include "app/system_library.h"
#include "framework/process_mitigations.h"

TheApp theApp;

BOOL TheApp::InitInstance() {
  HardenDllSearchPath();
  // Elevated, the setup acts in folders ordinary users can write to: where the system can,
  // it follows no link such a user made.
  lk::EnableRedirectionTrust();

  // A payload that cannot be opened is reported by the installation that needs it.
  OpenPayloadSource(&payload_);
  exitCode_ = IsUnattendedCommandLine(GetCommandLineW()) ? RunUnattended() : RunWizard();
  return FALSE;
}
