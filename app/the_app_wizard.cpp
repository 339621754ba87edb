// Not implemented yet.
#include "app/the_app.h"

int TheApp::RunWizard() { return 0; }
