#include "payload/sha256_extensions.h"

#include <cpuid.h>
#include <immintrin.h>

#include <cstring>

namespace {

// The first 32 bits of the fractional parts of the cube roots of the first 64 primes.
alignas(16) constexpr uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
    0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
    0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
    0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
    0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
    0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
    0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
    0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
    0xc67178f2};

// The first 32 bits of the fractional parts of the square roots of the first 8 primes.
constexpr uint32_t kInitialState[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

constexpr unsigned kCpuidSsse3 = 1u << 9;     // leaf 1, ECX
constexpr unsigned kCpuidSse41 = 1u << 19;    // leaf 1, ECX
constexpr unsigned kCpuidSha = 1u << 29;      // leaf 7, EBX

// Hashes whole 64-byte blocks into state (a to h). The SHA round instructions keep the
// state as two halves, ABEF and CDGH; each quarter of the message schedule (four words) is
// extended from the four before it with the message instructions.
__attribute__((target("sha,sse4.1,ssse3"))) void HashBlocks(uint32_t (&state)[8],
                                                            const uint8_t* data, size_t blocks) {
  // Big-endian words of the message to the processor's little-endian lanes.
  const __m128i byteOrder = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
  __m128i dcba = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<__m128i*>(&state[0])), 0xB1);
  __m128i efgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<__m128i*>(&state[4])), 0x1B);
  __m128i abef = _mm_alignr_epi8(dcba, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, dcba, 0xF0);
  for (; blocks > 0; --blocks, data += 64) {
    const __m128i abefBefore = abef;
    const __m128i cdghBefore = cdgh;
    __m128i words[4];
    for (int quarter = 0; quarter < 16; ++quarter) {
      __m128i& w = words[quarter & 3];
      if (quarter < 4) {
        w = _mm_shuffle_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * quarter)), byteOrder);
      } else {
        // w holds the words 16 to 13 before, the next ones 12 to 9, 8 to 5 and 4 to 1.
        const __m128i& minus12 = words[(quarter + 1) & 3];
        const __m128i& minus8 = words[(quarter + 2) & 3];
        const __m128i& minus4 = words[(quarter + 3) & 3];
        w = _mm_sha256msg2_epu32(
            _mm_add_epi32(_mm_sha256msg1_epu32(w, minus12), _mm_alignr_epi8(minus4, minus8, 4)),
            minus4);
      }
      const __m128i wk = _mm_add_epi32(
          w, _mm_load_si128(reinterpret_cast<const __m128i*>(&kRoundConstants[4 * quarter])));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(wk, 0x0E));
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}

}  // namespace

bool HasShaExtensions() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  if ((ecx & (kCpuidSsse3 | kCpuidSse41)) != (kCpuidSsse3 | kCpuidSse41)) return false;
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
  return (ebx & kCpuidSha) != 0;
}

Sha256Extensions::Sha256Extensions() { memcpy(state_, kInitialState, sizeof(state_)); }

void Sha256Extensions::Add(const uint8_t* data, size_t size) {
  messageBytes_ += size;
  if (pendingBytes_ > 0) {
    const size_t taken = size < kBlockBytes - pendingBytes_ ? size : kBlockBytes - pendingBytes_;
    memcpy(pending_ + pendingBytes_, data, taken);
    pendingBytes_ += taken;
    data += taken;
    size -= taken;
    if (pendingBytes_ < kBlockBytes) return;
    HashBlocks(state_, pending_, 1);
    pendingBytes_ = 0;
  }
  HashBlocks(state_, data, size / kBlockBytes);
  pendingBytes_ = size % kBlockBytes;
  memcpy(pending_, data + size - pendingBytes_, pendingBytes_);
}

void Sha256Extensions::Finish(uint8_t (&digest)[kDigestBytes]) {
  // The message, a one bit, zeros up to 8 bytes before a block's end, and the message's
  // length in bits as a big-endian 64-bit number.
  const uint64_t messageBits = messageBytes_ * 8;
  uint8_t padding[2 * kBlockBytes] = {0x80};
  const size_t zeros = (kBlockBytes + 56 - (pendingBytes_ + 1) % kBlockBytes) % kBlockBytes;
  for (int i = 0; i < 8; ++i) {
    padding[1 + zeros + i] = static_cast<uint8_t>(messageBits >> (56 - 8 * i));
  }
  Add(padding, 1 + zeros + 8);
  for (int i = 0; i < 8; ++i) {
    for (int b = 0; b < 4; ++b) digest[4 * i + b] = static_cast<uint8_t>(state_[i] >> (24 - 8 * b));
  }
}
