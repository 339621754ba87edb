// Files opened through the shell after an unattended installation start the installed
// viewer, for the formats that were associated only.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "support/installation_state.h"
#include "support/installation_test.h"
#include "support/test_support.h"

namespace lktest {
namespace {

class ShellOpen : public InstallationTest {
 protected:
  void Install(const wchar_t* assoc) {
    ASSERT_EQ(0, RunSetup(std::wstring(L"/silent /folder=C:\\Tools\\Lumenkast /assoc=") + assoc));
    ASSERT_TRUE(FileExists(L"C:\\Tools\\Lumenkast\\lk_main64.exe"));
  }
  // Opens a new file of the name through the shell; the viewer window that shows it, or
  // null when none appears.
  HWND Open(const wchar_t* name, DWORD timeoutMs) {
    const std::wstring path = files_ / name;
    EXPECT_TRUE(WriteFileBytes(path, "Bilddaten"));
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return WaitForViewerWindow(timeoutMs);
  }
  static std::wstring Title(HWND window) {
    wchar_t title[1024] = {};
    GetWindowTextW(window, title, 1024);
    return title;
  }

  TempFolder files_;
};

TEST_F(ShellOpen, AssociatedImagesStartTheInstalledViewerWithTheFile) {
  Install(L"1");
  for (const wchar_t* name : {L"urlaub.jpg", L"scan.dib", L"seite 1.tiff"}) {
    SCOPED_TRACE(Narrow(name));
    HWND viewer = Open(name, 15000);
    ASSERT_NE(nullptr, viewer);
    const std::wstring title = Title(viewer);
    EXPECT_NE(std::wstring::npos, title.find(files_ / name)) << Narrow(title);
    CloseViewerWindows();
    ASSERT_EQ(nullptr, FindWindowW(L"Lumenkast", nullptr));
  }
}

TEST_F(ShellOpen, AudioStartsTheViewerOnlyWhenAllFormatsWereChosen) {
  // Before the installation .mp3 belongs to another program.
  ScopedRegString owner(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.mp3", nullptr,
                        L"Vorbesitzer.Datei");
  Install(L"1");
  EXPECT_EQ(nullptr, Open(L"lied.mp3", 3000));
  CloseViewerWindows();

  Install(L"2");
  HWND viewer = Open(L"lied.mp3", 15000);
  ASSERT_NE(nullptr, viewer);
  EXPECT_NE(std::wstring::npos, Title(viewer).find(files_ / L"lied.mp3"));
}

}  // namespace
}  // namespace lktest
