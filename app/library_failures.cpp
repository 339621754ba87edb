// What the C++ library does when it cannot go on: a string grown past its maximum, an index
// out of range, memory exhausted. The program is built without exceptions, so none of these
// could ever be caught; the library's own versions would build an exception object (and
// bring the library's exception machinery, its narrow strings and the thread library along)
// only to end in std::terminate. These end the process at once instead, as a failed
// installation, and without the message box abort shows in a GUI program (the unattended
// mode shows no window; abort's exit code 3 would read as an installation whose
// registration is incomplete).
#include "app/library_failures.h"

#include <windows.h>

#include <cstdlib>
#include <new>

#include "app/the_app.h"

void EndProcessOnLibraryFailure() {
  TerminateProcess(GetCurrentProcess(), kExitFailed);
  // TerminateProcess does not return for the calling process; should it fail, end anyway.
  __builtin_trap();
}

// The library's throw helpers (bits/functexcept.h), all of one object file of the library:
// every one of them is defined here so that the library's object is never linked.
namespace std {

void __throw_bad_exception() { EndProcessOnLibraryFailure(); }
void __throw_bad_alloc() { EndProcessOnLibraryFailure(); }
void __throw_bad_array_new_length() { EndProcessOnLibraryFailure(); }
void __throw_bad_cast() { EndProcessOnLibraryFailure(); }
void __throw_bad_typeid() { EndProcessOnLibraryFailure(); }
void __throw_logic_error(const char*) { EndProcessOnLibraryFailure(); }
void __throw_domain_error(const char*) { EndProcessOnLibraryFailure(); }
void __throw_invalid_argument(const char*) { EndProcessOnLibraryFailure(); }
void __throw_length_error(const char*) { EndProcessOnLibraryFailure(); }
void __throw_out_of_range(const char*) { EndProcessOnLibraryFailure(); }
void __throw_out_of_range_fmt(const char*, ...) { EndProcessOnLibraryFailure(); }
void __throw_runtime_error(const char*) { EndProcessOnLibraryFailure(); }
void __throw_range_error(const char*) { EndProcessOnLibraryFailure(); }
void __throw_overflow_error(const char*) { EndProcessOnLibraryFailure(); }
void __throw_underflow_error(const char*) { EndProcessOnLibraryFailure(); }

}  // namespace std

// The global allocation functions (replaceable by the program, as the language allows):
// the library's would throw std::bad_alloc when memory runs out. The program sets no
// new-handler, so there is nothing to retry with.
namespace {

void* AllocateOrEnd(std::size_t size) {
  void* block = std::malloc(size ? size : 1);
  if (!block) EndProcessOnLibraryFailure();
  return block;
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrEnd(size); }
void* operator new[](std::size_t size) { return AllocateOrEnd(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size ? size : 1);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
