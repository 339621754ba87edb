// The base of the tests that run the setup in the shared prefix: each starts and ends with
// no viewer window, no registration, no links and nothing under C:\Tools.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace lktest {

class InstallationTest : public testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean();

  // Runs the setup with arguments in cwd_; its exit code.
  int RunSetup(const std::wstring& arguments) const;

  TempFolder cwd_;  // the current directory the setup is started in
};

}  // namespace lktest
