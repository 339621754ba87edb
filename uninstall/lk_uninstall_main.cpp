// The uninstaller's one application object; the framework's entry point runs it.
#include "uninstall/uninstall_app.h"

CUninstallApp theApp;
