// Files the viewer as handler of every catalogue extension and owner of the chosen ones.
#pragma once

#include <windows.h>

#include "integration/format_catalogue.h"
#include "integration/registration_failures.h"

// Every write below that fails is noted in failures, when one is given.

// Files one extension; chosen is the row's selection flag. Returns the status of the
// last registry call.
LONG AssociateExtension(const wchar_t* extension, const wchar_t* typeKey,
                        const wchar_t* openCommand, const wchar_t* iconString, int32_t chosen,
                        RegistrationFailures* failures = nullptr);

// The association pass over all rows and extensions of the catalogue.
void AssociateCatalogue(const wchar_t* viewerPath, const wchar_t* openCommand,
                        const int32_t* selection, RegistrationFailures* failures = nullptr);

// The closing step after the pass when formats were chosen.
void RefreshShellAssociations(RegistrationFailures* failures = nullptr);

// The NoOpenWith overrides of Windows' own picture and media apps (Windows 8 and later).
void SuppressAppXOpenWith(RegistrationFailures* failures = nullptr);
