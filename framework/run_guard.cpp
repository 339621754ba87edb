#include "framework/run_guard.h"

#include <sddl.h>

namespace lk {

namespace {

using ScopedLocalMemory = ScopedHandle<HLOCAL, NullHandleTraits<HLOCAL, LocalFree>>;

// Every run may wait for and take the guard, elevated or not; only Administrators and
// SYSTEM may change it.
constexpr wchar_t kGuardAccess[] =
    L"D:(A;;GA;;;BA)(A;;GA;;;SY)(A;;0x00100001;;;WD)";  // 0x00100001: synchronise, release

ScopedFileHandle OpenGuard() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(kGuardAccess, SDDL_REVISION_1,
                                                       &descriptor, nullptr);
  ScopedLocalMemory owned(descriptor);
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
  HANDLE mutex = CreateMutexW(descriptor ? &attributes : nullptr, FALSE, kRunGuardName);
  if (!mutex) mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kRunGuardName);
  return ScopedFileHandle(mutex);
}

}  // namespace

RunGuard::RunGuard(DWORD timeoutMs) : mutex_(OpenGuard()) {
  if (!mutex_) return;
  // An abandoned guard belonged to a run that was killed: it is this run's now.
  const DWORD waited = WaitForSingleObject(mutex_.Get(), timeoutMs);
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

RunGuard::~RunGuard() {
  if (held_) ReleaseMutex(mutex_.Get());
}

}  // namespace lk
