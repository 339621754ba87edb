// The SHA-256 of the payload computed on a thread of its own while the walk unpacks it.
#pragma once

#include <windows.h>

#include "framework/scoped_handles.h"
#include "payload/archive_in_file.h"
#include "payload/payload_digest.h"

class DigestThread {
 public:
  DigestThread() = default;
  DigestThread(const DigestThread&) = delete;
  DigestThread& operator=(const DigestThread&) = delete;
  // A thread still hashing stops at its next read; it is waited for and its file closed.
  ~DigestThread() { Stop(); }

  // Hashes span of file on a new thread. The file becomes the thread's: no one else may
  // read through it, as every positioned read moves its file pointer. False when the
  // thread did not start (the file is closed then).
  bool Start(lk::ScopedFileHandle file, const FileSpan& span);
  // Waits for the thread; true when it read the whole span and its digest is expected.
  bool Matches(const BYTE (&expected)[kDigestBytes]);

 private:
  static DWORD WINAPI Run(void* self);
  void Stop();

  using ScopedThread = lk::ScopedHandle<HANDLE, lk::NullHandleTraits<HANDLE, CloseHandle>>;

  lk::ScopedFileHandle file_;
  FileSpan span_ = {0, 0};
  volatile LONG stop_ = 0;
  bool computed_ = false;  // written by the thread, read after it ended
  BYTE digest_[kDigestBytes] = {};
  ScopedThread thread_;
};
