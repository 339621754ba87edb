#include "app/system_library.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdlib>
#include <string>

#include "framework/scoped_handles.h"
#include "support/installation_state.h"
#include "support/test_support.h"

namespace {

constexpr wchar_t kPlantedName[] = L"lkplanted.dll";
constexpr wchar_t kBesideProgramName[] = L"lkbeside.dll";

// Runs in a child process started by the test below, under the Windows version chosen
// there, from a copy of the test program in a folder of its own that holds a library as
// well; the current directory holds a planted library. The search is hardened (unless
// asked not to), and the probe checks which of the two libraries load by name.
TEST(HardenDllSearchPathProbe, LoadsTheExpectedLibraries) {
  const char* folder = std::getenv("LK_PROBE_PLANTED_FOLDER");
  const char* expect = std::getenv("LK_PROBE_EXPECT");  // "<planted><beside program>", 0/1/-
  if (!folder || !expect) GTEST_SKIP() << "runs only as the child of the test below";
  ASSERT_TRUE(SetCurrentDirectoryA(folder));
  if (!std::getenv("LK_PROBE_UNHARDENED")) HardenDllSearchPath();

  const std::string expected = expect;
  lk::ScopedModule planted(LoadLibraryW(kPlantedName));
  if (expected[0] != '-') {
    EXPECT_EQ(expected[0] == '1', static_cast<bool>(planted));
  }
  lk::ScopedModule beside(LoadLibraryW(kBesideProgramName));
  EXPECT_EQ(expected[1] == '1', static_cast<bool>(beside));
  lk::ScopedModule version(LoadLibraryW(L"version.dll"));
  EXPECT_TRUE(version);
  lk::ScopedModule system(LoadSystemLibrary(L"version.dll"));
  EXPECT_TRUE(system);

  // The shortcuts need the shell link object afterwards, on every version.
  lk::ScopedComApartment apartment;
  lk::ComPtr<IShellLinkW> link;
  EXPECT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IShellLinkW, link.ReceiveVoid())));
}

// The hardening changes the whole process, so each case runs in a process of its own.
// From Windows 7 on only the system folder is searched; on Vista the restriction is not
// used (the program's own folder is still searched), and the current directory is taken
// out with SetDllDirectoryW(L""), which Wine does not follow: there the planted library
// is not looked at.
TEST(HardenDllSearchPath, PlantedLibrariesAreNotLoadedByNameOnEveryVersion) {
  lktest::TempFolder folder;
  const std::wstring fixture = std::wstring(LK_BUILD_DIR) + L"\\fixtures\\ver_450.dll";
  const std::wstring programFolder = folder / L"program\\";
  const std::wstring currentFolder = folder / L"current\\";
  ASSERT_TRUE(CreateDirectoryW(programFolder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(currentFolder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(fixture.c_str(), (currentFolder + kPlantedName).c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(fixture.c_str(), (programFolder + kBesideProgramName).c_str(), FALSE));
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring program = programFolder + L"unit_tests.exe";
  ASSERT_TRUE(CopyFileW(self, program.c_str(), FALSE));

  const struct {
    const wchar_t* windows;
    bool hardened;
    const wchar_t* expect;  // planted library, library beside the program
  } cases[] = {
      {L"win7", false, L"11"},  // without hardening both would load
      {L"vista", true, L"-1"},
      {L"win7", true, L"00"},
      {L"win10", true, L"00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(lktest::Narrow(c.windows) + (c.hardened ? " hardened" : " unhardened"));
    lktest::ScopedWineVersion windows(c.windows);
    lktest::ScopedEnvironmentVariable planted(L"LK_PROBE_PLANTED_FOLDER", currentFolder.c_str());
    lktest::ScopedEnvironmentVariable expect(L"LK_PROBE_EXPECT", c.expect);
    lktest::ScopedEnvironmentVariable unhardened(L"LK_PROBE_UNHARDENED",
                                                 c.hardened ? nullptr : L"1");
    EXPECT_EQ(0, lktest::RunProcess(L"\"" + program +
                                    L"\" --gtest_filter=HardenDllSearchPathProbe.*"));
  }
}

}  // namespace
