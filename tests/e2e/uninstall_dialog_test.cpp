// The uninstaller's window, driven as a user would drive it after an installation: the
// confirmation with its check box, cancelling, and the removal up to the closing message.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "support/expected_installation.h"
#include "support/installation_test.h"
#include "support/registry_reader.h"
#include "support/test_support.h"
#include "support/uninstaller_process.h"
#include "support/wizard_driver.h"

namespace lktest {
namespace {

constexpr wchar_t kFolder[] = L"C:\\Program Files\\Lumenkast\\";
constexpr wchar_t kCaption[] = L"Lumenkast 64 deinstallieren";
constexpr wchar_t kQuestion[] =
    L"M\u00F6chten Sie Lumenkast 64 und alle seine Komponenten entfernen?";
constexpr wchar_t kPurgeText[] = L"Auch die Einstellungen entfernen";
constexpr wchar_t kRemoved[] = L"Lumenkast 64 wurde erfolgreich von Ihrem Computer entfernt.";

// Pictures the window into <build>\screenshots\<name>.bmp, for the documentation.
void Picture(HWND window, const wchar_t* name) {
  Sleep(400);  // let it paint
  const std::wstring folder = std::wstring(LK_BUILD_DIR) + L"\\screenshots";
  CreateDirectoryW(folder.c_str(), nullptr);
  EXPECT_TRUE(ScreenCapture::OfWindow(window).SaveBmp(folder + L"\\" + name + L".bmp"));
}

class UninstallDialog : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    RemoveTree(kFolder);
    ASSERT_EQ(0, RunSetup(L"/silent /group=1 /desktop=1"));
  }
  void TearDown() override {
    WaitForUninstallers(30000);
    RemoveUninstallerCopies();
    RemoveTree(kFolder);
    InstallationTest::TearDown();
  }
  bool Installed() const {
    return FileExists(std::wstring(kFolder) + L"lk_main64.exe") &&
           RegKeyExists(HKLM, kUninstallKey) &&
           FileExists(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"Lumenkast 64.lnk");
  }

  UninstallerWindow window_;
};

TEST_F(UninstallDialog, AsksFirstAndCancellingRemovesNothing) {
  ASSERT_TRUE(window_.Start(kFolder, cwd_.Path()));
  HWND window = window_.Window();
  EXPECT_EQ(kCaption, WindowText(window));
  EXPECT_TRUE(ShowsText(window, kQuestion));
  EXPECT_TRUE(ShowsText(window, kPurgeText));
  EXPECT_FALSE(IsChecked(window_.Control(kUninstallPurgeBox)));
  EXPECT_FALSE(IsWindowVisible(window_.Control(kUninstallProgress)));
  EXPECT_TRUE(IsUsable(window_.Control(kUninstallRemoveButton)));
  Picture(window, L"uninstall-1-confirm");

  ASSERT_TRUE(window_.Click(kUninstallCancelButton));
  EXPECT_EQ(3, window_.WaitForExit());
  EXPECT_TRUE(Installed());
  EXPECT_TRUE(UninstallerCopyFolders().empty());
}

// "/purge=1" without "/silent" shows the window with the box already ticked.
TEST_F(UninstallDialog, ThePurgeSwitchTicksTheBox) {
  ASSERT_TRUE(window_.Start(kFolder, cwd_.Path(), 20000, L"/purge=1"));
  EXPECT_TRUE(IsChecked(window_.Control(kUninstallPurgeBox)));
  ASSERT_TRUE(window_.Click(kUninstallCancelButton));
  EXPECT_EQ(3, window_.WaitForExit());
  EXPECT_TRUE(Installed());
}

TEST_F(UninstallDialog, WithTheCheckBoxRemovesEverythingAndSaysSo) {
  ASSERT_TRUE(FileExists(std::wstring(kFolder) + L"lk_main64.ini"));
  ASSERT_TRUE(window_.Start(kFolder, cwd_.Path()));
  ASSERT_TRUE(window_.Toggle(kUninstallPurgeBox));
  EXPECT_TRUE(IsChecked(window_.Control(kUninstallPurgeBox)));
  ASSERT_TRUE(window_.Click(kUninstallRemoveButton));

  HWND box = window_.WaitForMessageBox();
  ASSERT_NE(nullptr, box);
  const MessageBoxView view = ReadMessageBox(box);
  EXPECT_EQ(kCaption, view.caption);
  EXPECT_EQ(kRemoved, view.text);
  EXPECT_TRUE(view.hasOk);
  // Behind the message the removal is complete and the buttons can no longer be used.
  EXPECT_FALSE(IsUsable(window_.Control(kUninstallRemoveButton)));
  EXPECT_FALSE(IsUsable(window_.Control(kUninstallCancelButton)));
  Picture(box, L"uninstall-2-done");

  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  EXPECT_EQ(0, window_.WaitForExit());
  ASSERT_TRUE(WaitForUninstallers(30000));
  EXPECT_FALSE(FolderExists(kFolder));
  EXPECT_FALSE(RegKeyExists(HKLM, kUninstallKey));
  EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"Lumenkast 64.lnk"));
}

}  // namespace
}  // namespace lktest
