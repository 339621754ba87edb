// How the setup program ends when the C++ library gives up (see library_failures.cpp).
#pragma once

// Ends the process at once with the exit code of a failed installation (kExitFailed),
// showing nothing.
[[noreturn]] void EndProcessOnLibraryFailure();
