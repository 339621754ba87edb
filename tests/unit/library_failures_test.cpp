#include <gtest/gtest.h>

#include <string>

#include "app/the_app.h"
#include "support/test_support.h"

namespace {

// A failure inside the C++ library (a string or vector grown past its maximum, an index out
// of range, memory exhausted, std::terminate) ends the setup quietly as a failed
// installation: no message box that would hold an unattended run, no exit code that reads
// as a (partly) successful one. The probe is a GUI program linked with the setup's handlers;
// it returns 0 only if it got past the failure.
TEST(LibraryFailures, EndTheProcessAtOnceAsAFailedInstallation) {
  const std::wstring probe = std::wstring(LK_BUILD_DIR) + L"\\library_failure_probe.exe";
  ASSERT_TRUE(lktest::FileExists(probe));
  for (const wchar_t* failure : {L"string_at", L"string_length", L"string_substr",
                                 L"vector_length", L"new", L"terminate"}) {
    SCOPED_TRACE(lktest::Narrow(failure));
    EXPECT_EQ(kExitFailed, lktest::RunProcess(L"\"" + probe + L"\" " + failure, L"", 20000));
  }
  // The probe itself works: without a failure it runs to its end.
  EXPECT_EQ(0, lktest::RunProcess(L"\"" + probe + L"\" none", L"", 20000));
}

}  // namespace
