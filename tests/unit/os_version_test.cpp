#include <gtest/gtest.h>

#include "app/os_version.h"

TEST(IsOsVersionAtLeast, VistaAndOlderAreAlwaysReached) {
  EXPECT_TRUE(IsOsVersionAtLeast(5, 1));
  EXPECT_TRUE(IsOsVersionAtLeast(6, 0));
  EXPECT_FALSE(IsOsVersionAtLeast(99, 0));
}
