#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/os_version.h"
#include "support/installation_state.h"
#include "support/test_support.h"

namespace {

// Runs in a child process started by the test below, under the Windows version chosen there.
TEST(IsOsVersionAtLeastProbe, MatchesTheExpectedVersion) {
  const char* expected = std::getenv("LK_PROBE_EXPECT");
  if (!expected) GTEST_SKIP() << "runs only as the child of FollowsTheReportedWindowsVersion";
  const std::string version = expected;
  EXPECT_TRUE(IsOsVersionAtLeast(5, 1));
  EXPECT_TRUE(IsOsVersionAtLeast(6, 0));
  EXPECT_TRUE(IsOsVersionAtLeast(6, 1));
  EXPECT_EQ(version == "win10", IsOsVersionAtLeast(6, 2));
  EXPECT_EQ(version == "win10", IsOsVersionAtLeast(10, 0));
  EXPECT_FALSE(IsOsVersionAtLeast(10, 1));
}

TEST(IsOsVersionAtLeast, FollowsTheReportedWindowsVersion) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  for (const wchar_t* version : {L"win7", L"win10"}) {
    lktest::ScopedWineVersion windows(version);
    lktest::ScopedEnvironmentVariable expect(L"LK_PROBE_EXPECT", version);
    int code = lktest::RunProcess(L"\"" + std::wstring(self) +
                                  L"\" --gtest_filter=IsOsVersionAtLeastProbe.*");
    EXPECT_EQ(0, code) << lktest::Narrow(version);
  }
}

}  // namespace
