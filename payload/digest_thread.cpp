#include "payload/digest_thread.h"

#include <cstring>
#include <utility>

bool DigestThread::Start(lk::ScopedFileHandle file, const FileSpan& span) {
  Stop();
  file_ = std::move(file);
  span_ = span;
  stop_ = 0;
  computed_ = false;
  if (!file_) return false;
  thread_.Reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
  if (!thread_) file_.Reset();
  return static_cast<bool>(thread_);
}

bool DigestThread::Matches(const BYTE (&expected)[kDigestBytes]) {
  if (!thread_) return false;
  WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
  file_.Reset();
  return computed_ && memcmp(digest_, expected, kDigestBytes) == 0;
}

DWORD WINAPI DigestThread::Run(void* self) {
  DigestThread* digest = static_cast<DigestThread*>(self);
  digest->computed_ =
      ComputeSpanDigest(digest->file_.Get(), digest->span_, digest->digest_, &digest->stop_);
  return 0;
}

void DigestThread::Stop() {
  if (thread_) {
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  }
  file_.Reset();
}
