// The payload archive as the setup reads it: a stretch of its own executable file, read
// through one handle that nobody can write, delete or rename while the process holds it, and
// the SHA-256 the build computed of it.
#pragma once

#include <windows.h>

#include "framework/scoped_handles.h"
#include "payload/archive_in_file.h"
#include "payload/payload_digest.h"

struct PayloadSource {
  lk::ScopedFileHandle file;  // read access, read sharing only
  FileSpan span = {0, 0};
  BYTE digest[kDigestBytes] = {};  // as built into the executable
};

// Opens the payload of the running executable: resource "ZIP" 210 found in the file where
// the image holds it, and the digest resource beside it. False (and no open file) when a
// resource is missing or the file cannot be opened without write or delete sharing.
bool OpenPayloadSource(PayloadSource* source);

// True when the bytes of source's span have the digest built in.
bool IsPayloadIntact(const PayloadSource& source);
