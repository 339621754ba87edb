// One setup or uninstallation of the viewer at a time on the machine: a named mutex in the
// global namespace, held for the whole run. A run that was killed lets go of it; the next
// one takes it over.
#pragma once

#include <windows.h>

#include "framework/scoped_handles.h"

namespace lk {

// The mutex's name; every session of the machine sees the same one.
constexpr wchar_t kRunGuardName[] = L"Global\\Lumenkast_Setup_Run";

class RunGuard {
 public:
  // Waits up to timeoutMs (0: not at all) for the guard and holds it until destroyed.
  explicit RunGuard(DWORD timeoutMs);
  ~RunGuard();
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

  // True when this process holds the guard.
  bool Held() const { return held_; }

 private:
  ScopedFileHandle mutex_;
  bool held_ = false;
};

}  // namespace lk
