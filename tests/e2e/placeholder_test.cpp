#include <gtest/gtest.h>

#include "support/test_support.h"

TEST(SetupExecutable, Exists) { EXPECT_TRUE(lktest::FileExists(LK_SETUP_EXE)); }
