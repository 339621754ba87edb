// Mitigations the process switches on for itself where the system has them.
#pragma once

namespace lk {

// Lets this process follow only junctions and symbolic links whose owner is the
// Administrators group, SYSTEM or TrustedInstaller (the system's redirection trust,
// enforced). True when the system took it; a system without it (before Windows 10 1903, or
// Wine) leaves the process as it was: the process's own link checks stay the rule.
bool EnableRedirectionTrust();

}  // namespace lk
