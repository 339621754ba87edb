// What ends the program when the C++ library gives up (it cannot throw: the program is built
// without exceptions). The library's own handler would print the exception's demangled type
// to a console this GUI program does not have, and its demangler and formatted output would
// make up a fifth of the executable; abort would show a message box.
#include "app/library_failures.h"

namespace __gnu_cxx {

void __verbose_terminate_handler() { EndProcessOnLibraryFailure(); }

}  // namespace __gnu_cxx
