#include "payload/sha256_extensions.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/scoped_handles.h"
#include "payload/payload_digest.h"
#include "support/test_support.h"

namespace {

std::string Hex(const uint8_t (&digest)[kDigestBytes]) {
  std::string hex;
  char pair[3];
  for (uint8_t b : digest) {
    snprintf(pair, sizeof(pair), "%02x", b);
    hex += pair;
  }
  return hex;
}

// The message added in pieces of piece bytes (0: at once).
std::string DigestInPieces(const std::string& message, size_t piece) {
  Sha256Extensions hash;
  const auto* data = reinterpret_cast<const uint8_t*>(message.data());
  if (piece == 0) piece = message.size() + 1;
  for (size_t at = 0; at < message.size(); at += piece) {
    hash.Add(data + at, message.size() - at < piece ? message.size() - at : piece);
  }
  uint8_t digest[kDigestBytes];
  hash.Finish(digest);
  return Hex(digest);
}

std::string SpanDigest(bool withProvider, HANDLE file, const FileSpan& span) {
  BYTE digest[kDigestBytes] = {};
  const bool computed = withProvider ? ComputeSpanDigestWithProvider(file, span, digest)
                                     : ComputeSpanDigest(file, span, digest);
  return computed ? Hex(digest) : "failed";
}

class Sha256ExtensionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasShaExtensions()) GTEST_SKIP() << "this processor has no SHA extensions";
  }
};

TEST_F(Sha256ExtensionsTest, KnownAnswersInAnyPieces) {
  const struct {
    std::string message;
    const char* digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& c : cases) {
    for (size_t piece : {0, 1, 7, 63, 64, 65, 4096}) {
      SCOPED_TRACE(testing::Message() << c.message.size() << " bytes in pieces of " << piece);
      EXPECT_EQ(c.digest, DigestInPieces(c.message, piece));
    }
  }
}

// Every length around the block size and its padding (55, 56, 63, 64 bytes and one block
// more), and longer spans, at an offset into the file: the extensions, the provider and the
// span digest the setup uses agree.
TEST_F(Sha256ExtensionsTest, AgreesWithTheSystemProviderOnEveryLength) {
  std::string bytes(70000, '\0');
  uint32_t seed = 12345;
  for (char& c : bytes) {
    seed = seed * 1103515245 + 12345;
    c = static_cast<char>(seed >> 24);
  }
  lktest::TempFolder folder;
  const std::wstring path = folder / L"data.bin";
  ASSERT_TRUE(lktest::WriteFileBytes(path, bytes));
  lk::ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  constexpr ULONGLONG kOffset = 5;
  std::vector<ULONGLONG> lengths;
  for (ULONGLONG n = 0; n <= 130; ++n) lengths.push_back(n);
  for (ULONGLONG n : {1000ull, 65536ull, 65536ull + 55, 69995ull}) lengths.push_back(n);
  for (ULONGLONG length : lengths) {
    SCOPED_TRACE(testing::Message() << length << " bytes");
    const std::string expected = SpanDigest(true, file.Get(), FileSpan{kOffset, length});
    ASSERT_NE("failed", expected);
    EXPECT_EQ(expected, DigestInPieces(bytes.substr(kOffset, length), 0));
    EXPECT_EQ(expected, SpanDigest(false, file.Get(), FileSpan{kOffset, length}));
  }
}

}  // namespace
