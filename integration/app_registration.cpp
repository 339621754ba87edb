// Not implemented yet.
#include "integration/app_registration.h"

int RegisterApplication(int, const wchar_t*, int, int, int, int, const int32_t*) { return 1; }
