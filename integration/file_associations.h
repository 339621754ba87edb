// Files the viewer as handler of every catalogue extension and owner of the chosen ones.
#pragma once

#include <windows.h>

#include "integration/format_catalogue.h"

// Files one extension; chosen is the row's selection flag. Returns the status of the
// last registry call (ignored by the caller).
LONG AssociateExtension(const wchar_t* extension, const wchar_t* typeKey,
                        const wchar_t* openCommand, const wchar_t* iconString, int32_t chosen);

// The association pass over all rows and extensions of the catalogue.
void AssociateCatalogue(const wchar_t* viewerPath, const wchar_t* openCommand,
                        const int32_t* selection);

// The closing step after the pass when formats were chosen.
void RefreshShellAssociations();

// The NoOpenWith overrides of Windows' own picture and media apps (Windows 8 and later).
void SuppressAppXOpenWith();
