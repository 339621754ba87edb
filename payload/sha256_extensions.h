// SHA-256 with the processor's SHA extensions (SHA-NI): several times faster than the
// system's provider under Wine, which hashes in plain C. Only for processors that have them.
#pragma once

#include <cstddef>
#include <cstdint>

// True when the processor has the SHA extensions and the SSSE3 and SSE4.1 instructions
// the hash needs beside them.
bool HasShaExtensions();

// A running SHA-256. Use it only where HasShaExtensions() is true.
class Sha256Extensions {
 public:
  static constexpr size_t kDigestBytes = 32;

  Sha256Extensions();
  // Adds size bytes of the message.
  void Add(const uint8_t* data, size_t size);
  // Pads the message and gives its digest; the hash is spent afterwards.
  void Finish(uint8_t (&digest)[kDigestBytes]);

 private:
  static constexpr size_t kBlockBytes = 64;

  uint32_t state_[8];
  uint8_t pending_[kBlockBytes];
  size_t pendingBytes_ = 0;
  uint64_t messageBytes_ = 0;
};
