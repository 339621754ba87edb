#include <gtest/gtest.h>

#include "app/os_version.h"

TEST(IsOsVersionAtLeast, VistaAndOlderAreAlwaysReached) {
  EXPECT_TRUE(IsOsVersionAtLeast(5, 1));
  EXPECT_TRUE(IsOsVersionAtLeast(6, 0));
  EXPECT_FALSE(IsOsVersionAtLeast(99, 0));
}

#include <string>

#include "support/test_support.h"

// After hardening, a library planted in the current directory or beside the program is
// not found by name; system libraries still are.
TEST(HardenDllSearchPath, PlantedLibrariesAreNotLoadedByName) {
  lktest::CurrentDirectoryGuard guard;
  lktest::TempFolder folder;
  std::wstring planted = folder / L"lkplanted.dll";
  ASSERT_TRUE(CopyFileW((std::wstring(LK_BUILD_DIR) + L"\\fixtures\\ver_450.dll").c_str(),
                        planted.c_str(), FALSE));
  SetCurrentDirectoryW(folder.Path().c_str());

  HardenDllSearchPath();
  HMODULE module = LoadLibraryW(L"lkplanted.dll");
  EXPECT_EQ(nullptr, module);
  if (module) FreeLibrary(module);
  HMODULE version = LoadLibraryW(L"version.dll");
  EXPECT_NE(nullptr, version);
  if (version) FreeLibrary(version);
}
