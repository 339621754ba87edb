// SHA-256 of a stretch of a file: with the processor's SHA extensions where it has them,
// else from the system's cryptographic provider.
#pragma once

#include <windows.h>

#include "payload/archive_in_file.h"

constexpr DWORD kDigestBytes = 32;

// Reads span of file (positioned reads; the file pointer is left anywhere) and computes its
// SHA-256. False when a read falls short, the provider is not available, or stop (when
// given) became nonzero before the last read.
bool ComputeSpanDigest(HANDLE file, const FileSpan& span, BYTE (&digest)[kDigestBytes],
                       volatile LONG* stop = nullptr);
// The same through the system's provider, whatever the processor has.
bool ComputeSpanDigestWithProvider(HANDLE file, const FileSpan& span,
                                   BYTE (&digest)[kDigestBytes], volatile LONG* stop = nullptr);
