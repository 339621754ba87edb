#include "payload/digest_thread.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/scoped_handles.h"
#include "support/test_support.h"

namespace {

// SHA-256 of "abc".
constexpr BYTE kDigestOfAbc[kDigestBytes] = {
    0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40, 0xde, 0x5d, 0xae, 0x22, 0x23,
    0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17, 0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};

lk::ScopedFileHandle OpenForReading(const std::wstring& path) {
  return lk::ScopedFileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
}

class DigestThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lktest::WriteFileBytes(path_, "xyzabcxyz"));
  }
  lktest::TempFolder folder_;
  const std::wstring path_ = folder_ / L"payload.bin";
};

TEST_F(DigestThreadTest, ComparesTheDigestOfTheSpanOnly) {
  struct Case {
    const char* what;
    FileSpan span;
    int flippedByte;  // -1: the expected digest as it is
    bool matches;
  };
  const Case cases[] = {
      {"the span", {3, 3}, -1, true},
      {"another digest", {3, 3}, 31, false},
      {"a span one byte longer", {3, 4}, -1, false},
      {"a span beyond the end of the file", {7, 3}, -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BYTE expected[kDigestBytes];
    memcpy(expected, kDigestOfAbc, kDigestBytes);
    if (c.flippedByte >= 0) expected[c.flippedByte] ^= 1;
    DigestThread digest;
    ASSERT_TRUE(digest.Start(OpenForReading(path_), c.span));
    EXPECT_EQ(digest.Matches(expected), c.matches);
    // Asked again, it has no thread to wait for and confirms nothing.
    EXPECT_FALSE(digest.Matches(expected));
  }
}

TEST_F(DigestThreadTest, WithoutAFileOrThreadNothingMatches) {
  DigestThread digest;
  EXPECT_FALSE(digest.Matches(kDigestOfAbc));
  EXPECT_FALSE(digest.Start(lk::ScopedFileHandle(), FileSpan{3, 3}));
  EXPECT_FALSE(digest.Matches(kDigestOfAbc));
}

TEST_F(DigestThreadTest, ThreadLetGoUnfinishedStopsAndClosesItsFile) {
  // A span far longer than the file: the thread fails at the end of it, or is stopped
  // before; either way the file is closed once the owner is gone.
  {
    DigestThread digest;
    ASSERT_TRUE(digest.Start(OpenForReading(path_), FileSpan{0, 1ull << 40}));
  }
  lk::ScopedFileHandle exclusive(CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(exclusive);
}

}  // namespace
