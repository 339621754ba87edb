// SHA-256 of a stretch of a file, from the system's cryptographic provider.
#pragma once

#include <windows.h>

#include "payload/archive_in_file.h"

constexpr DWORD kDigestBytes = 32;

// Reads span of file (positioned reads; the file pointer is left anywhere) and computes its
// SHA-256. False when a read falls short or the provider is not available.
bool ComputeSpanDigest(HANDLE file, const FileSpan& span, BYTE (&digest)[kDigestBytes]);
