#include "framework/process_mitigations.h"

#include <windows.h>

namespace lk {

namespace {

// Windows 8 and later; looked up at run time so that the program still starts on Vista.
using SetMitigationPolicy = BOOL(WINAPI*)(PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);

}  // namespace

bool EnableRedirectionTrust() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return false;
  const auto set = reinterpret_cast<SetMitigationPolicy>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessMitigationPolicy")));
  if (!set) return false;
  PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY policy = {};
  policy.EnforceRedirectionTrust = 1;
  return set(ProcessRedirectionTrustPolicy, &policy, sizeof(policy)) != FALSE;
}

}  // namespace lk
