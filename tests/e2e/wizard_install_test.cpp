// Installations through the wizard, from the ready page's Next to the finish page and the
// end of the program, checked in files, settings, registry and shortcuts afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "app/product_info.h"
#include "res/resource.h"
#include "support/expected_installation.h"
#include "support/expected_texts.h"
#include "support/installation_state.h"
#include "support/registry_reader.h"
#include "support/shell_link_reader.h"
#include "support/wizard_driver.h"

namespace lktest {
namespace {

constexpr wchar_t kViewer[] = L"C:\\WizTest\\Lumenkast\\lk_main64.exe";
// The extension's owner when the viewer is it; empty otherwise.
std::wstring LumenkastOwner(const wchar_t* extension) {
  std::wstring owner;
  ReadRegString(HKLM, std::wstring(L"SOFTWARE\\Classes\\.") + extension, nullptr, &owner);
  return owner.rfind(L"Lumenkast.", 0) == 0 ? owner : L"";
}

std::wstring Utf16File(const std::wstring& path) {
  const std::string bytes = ReadFileBytes(path);
  std::wstring text(bytes.size() / 2, L'\0');
  if (!text.empty()) memcpy(&text[0], bytes.data(), text.size() * 2);
  return text;
}

// The progress label's text drawn in the test process the way the label paints itself:
// one line centred both ways, opaque on the button face, in the given font and colour.
std::vector<COLORREF> PaintLikeTheLabel(int width, int height, const LOGFONTW& font,
                                        COLORREF colour) {
  std::vector<COLORREF> pixels;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  lk::ScopedCreatedDc dc(CreateCompatibleDC(nullptr));
  void* bits = nullptr;
  lk::ScopedGdiObject bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  lk::ScopedGdiObject hfont(CreateFontIndirectW(&font));
  if (!dc || !bitmap || !bits || !hfont) return pixels;
  HGDIOBJ oldBitmap = SelectObject(dc.Get(), bitmap.Get());
  HGDIOBJ oldFont = SelectObject(dc.Get(), hfont.Get());
  RECT rect = {0, 0, width, height};
  FillRect(dc.Get(), &rect, GetSysColorBrush(COLOR_BTNFACE));
  SetTextColor(dc.Get(), colour);
  SetBkColor(dc.Get(), GetSysColor(COLOR_BTNFACE));
  SetBkMode(dc.Get(), OPAQUE);
  DrawTextW(dc.Get(), L"Installiere ... bitte warten ...", -1, &rect,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  GdiFlush();
  const DWORD* p = static_cast<const DWORD*>(bits);
  for (int i = 0; i < width * height; ++i) {
    pixels.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
  }
  SelectObject(dc.Get(), oldFont);
  SelectObject(dc.Get(), oldBitmap);
  return pixels;
}

// Pixels of shot that differ clearly from painted.
int CountDifferent(const ScreenCapture& shot, const std::vector<COLORREF>& painted) {
  int different = 0;
  for (int y = 0; y < shot.Height(); ++y) {
    for (int x = 0; x < shot.Width(); ++x) {
      const COLORREF a = shot.Pixel(x, y);
      const COLORREF b = painted[static_cast<size_t>(y) * shot.Width() + x];
      if (abs(GetRValue(a) - GetRValue(b)) > 64 || abs(GetGValue(a) - GetGValue(b)) > 64 ||
          abs(GetBValue(a) - GetBValue(b)) > 64) {
        ++different;
      }
    }
  }
  return different;
}

LOGFONTW FontDescription(const wchar_t* face, int height, int weight, BYTE quality) {
  LOGFONTW font = {};
  font.lfHeight = height;
  font.lfWeight = weight;
  font.lfQuality = quality;
  wcscpy(font.lfFaceName, face);
  return font;
}

// The progress label as shown while the installation runs: red bold "Arial" of height 18.
// Told apart, on the screen, from the same text in the other looks a slip would give.
void ExpectRedBoldArialLabel(HWND label) {
  ASSERT_TRUE(IsWindowVisible(label));
  EXPECT_EQ(L"Installiere ... bitte warten ...", WindowText(label));
  RECT client = {};
  GetClientRect(label, &client);
  MapWindowPoints(label, nullptr, reinterpret_cast<POINT*>(&client), 2);
  LOGFONTW boldPageFont = PageFontDescription();
  boldPageFont.lfWeight = FW_BOLD;
  const COLORREF red = RGB(255, 0, 0);
  struct Look {
    const char* name;
    LOGFONTW font;
    COLORREF colour;
  } looks[] = {
      {"red bold Arial 18", FontDescription(L"Arial", 18, FW_BOLD, ANTIALIASED_QUALITY), red},
      {"red Arial 18 not bold", FontDescription(L"Arial", 18, FW_NORMAL, ANTIALIASED_QUALITY), red},
      {"red bold template font", boldPageFont, red},
      {"black bold Arial 18", FontDescription(L"Arial", 18, FW_BOLD, ANTIALIASED_QUALITY),
       GetSysColor(COLOR_BTNTEXT)},
  };
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const int area = width * height;
  ASSERT_GT(area, 0);
  std::vector<COLORREF> painted[4];
  for (int i = 0; i < 4; ++i) {
    painted[i] = PaintLikeTheLabel(width, height, looks[i].font, looks[i].colour);
    ASSERT_EQ(static_cast<size_t>(area), painted[i].size());
  }
  // Taken again while the part a moved window uncovered may not be repainted yet.
  int differences[4] = {};
  for (int attempt = 0; attempt < 20; ++attempt) {
    const ScreenCapture shot = ScreenCapture::OfScreenRect(client);
    ASSERT_EQ(width, shot.Width());
    for (int i = 0; i < 4; ++i) differences[i] = CountDifferent(shot, painted[i]);
    if (differences[0] <= area / 50) break;
    Sleep(200);
  }
  EXPECT_LE(differences[0], area / 50) << "the label does not look " << looks[0].name;
  for (int i = 1; i < 4; ++i) {
    EXPECT_LT(differences[0], differences[i]) << "the label looks like " << looks[i].name;
  }
}

class WizardInstall : public WizardTest {
 protected:
  // Options page to ready page with the folder typed and the rows chosen by choose().
  template <typename Choose>
  void GoToReadyPage(const std::wstring& folder, Choose choose) {
    ASSERT_NO_FATAL_FAILURE(TypeFolder(folder));
    ASSERT_NO_FATAL_FAILURE(NextUntil(kAssociationPage));
    ASSERT_NO_FATAL_FAILURE(choose(wizard_.Control(IDC_FORMAT_LIST)));
    ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
  }
  // Next on the ready page; the message box it leads to (null when none appears).
  HWND NextOnReadyPageExpectingBox() {
    EXPECT_TRUE(wizard_.Press(kNextButton));
    return wizard_.WaitForMessageBox(30000);
  }
  void ExpectFinishPage() {
    ASSERT_TRUE(wizard_.WaitForPage(kFinishPage, 30000));
    EXPECT_TRUE(IsChecked(wizard_.Control(IDC_SHOW_FAQ)));
    EXPECT_TRUE(IsChecked(wizard_.Control(IDC_START_VIEWER)));
    EXPECT_EQ(kFinishButtonText, WindowText(wizard_.SheetButton(kCancelButton)));
    EXPECT_TRUE(IsUsable(wizard_.SheetButton(kCancelButton)));
    EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(kBackButton)));
    EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(kNextButton)));
  }
  // The viewer's files and registration for kTarget.
  static void ExpectInstalled() {
    EXPECT_TRUE(FileExists(kViewer));
    EXPECT_TRUE(FileExists(L"C:\\WizTest\\Lumenkast\\lk_uninstall.exe"));
    EXPECT_TRUE(FileExists(L"C:\\WizTest\\Lumenkast\\Plugins\\Icons.dll"));
    EXPECT_TRUE(RegStringIs(HKLM, kOpenCommandKey, nullptr,
                            L"\"C:\\WizTest\\Lumenkast\\lk_main64.exe\" \"%1\""));
    EXPECT_TRUE(RegStringIs(HKLM, kUninstallKey, L"InstallLocation", L"C:\\WizTest\\Lumenkast\\"));
    EXPECT_TRUE(RegStringIs(HKLM, kUninstallKey, L"DisplayVersion", L"4.50"));
    // Every identifier is filed whether or not its extensions were chosen.
    EXPECT_TRUE(RegKeyExists(HKLM, L"SOFTWARE\\Classes\\Lumenkast.jpg\\shell\\open\\command"));
  }
  static void ExpectViewerLink(const std::wstring& path, const wchar_t* arguments) {
    ShellLinkInfo link;
    ASSERT_TRUE(ReadShellLink(path, &link)) << Narrow(path);
    EXPECT_EQ(kViewer, link.target) << Narrow(path);
    EXPECT_EQ(arguments, link.arguments) << Narrow(path);
  }
};

TEST_F(WizardInstall, FormatsCheckedAnsweredNoInstallsEverythingButTheAssociations) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_NO_FATAL_FAILURE(
      GoToReadyPage(kTarget, [this](HWND) { ASSERT_TRUE(wizard_.Click(IDC_IMAGES_ONLY)); }));

  HWND box = NextOnReadyPageExpectingBox();
  ASSERT_NO_FATAL_FAILURE(ExpectQuestion(box, kConfirmAssociations));
  // The files and settings are in place before the question; the registry is not yet.
  EXPECT_TRUE(FileExists(kViewer));
  EXPECT_FALSE(RegKeyExists(HKLM, kOpenCommandKey));
  ASSERT_TRUE(wizard_.Answer(box, IDNO));
  ASSERT_NO_FATAL_FAILURE(ExpectFinishPage());

  ExpectInstalled();
  for (const wchar_t* extension : {L"jpg", L"png", L"bmp", L"dib"}) {
    EXPECT_EQ(L"", LumenkastOwner(extension)) << Narrow(extension);
    EXPECT_FALSE(RegKeyExists(HKCU, ExplorerChoiceKey(extension))) << Narrow(extension);
  }

  // Settings in the application-data folder, proposed by the ready page; the program
  // folder's file only points there.
  const std::wstring settings = Utf16File(AppDataSettingsFolder() + L"lk_main64.ini");
  EXPECT_EQ(0u, settings.find(std::wstring(L"\xFEFF") + kSettingsHeader));
  EXPECT_NE(std::wstring::npos, settings.find(L"Lang=Deutsch"));
  EXPECT_NE(std::string::npos, ReadFileBytes(L"C:\\WizTest\\Lumenkast\\lk_main64.ini")
                                   .find("INI_Folder=%APPDATA%\\Lumenkast"));

  // The three shortcuts of the options page's defaults, for the current user.
  const std::wstring desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring group = SpecialFolder(CSIDL_PROGRAMS) + L"Lumenkast\\";
  ExpectViewerLink(desktop + L"Lumenkast 64.lnk", L"");
  ExpectViewerLink(desktop + L"Lumenkast 64 Thumbnails.lnk", L"/thumbs");
  ExpectViewerLink(group + L"Lumenkast 64 4.50.lnk", L"");
  EXPECT_FALSE(FolderExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"Lumenkast"));

  // The close box on the finish page ends the wizard without a question (which would
  // keep it running).
  wizard_.PressCloseBox();
  EXPECT_TRUE(wizard_.WaitForExit(10000));
}

TEST_F(WizardInstall, FormatsAnsweredYesAreAssociatedAndFinishOpensFaqAndViewer) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_TRUE(wizard_.Click(IDC_DESKTOP_SHORTCUT));
  ASSERT_TRUE(wizard_.Click(IDC_ALL_USERS));
  // Blanks around the folder and around one of its components: the installation trims
  // them, and the viewer is started from where it was installed.
  const std::wstring blanked = L"  C:\\WizTest \\Lumenkast  ";
  ASSERT_NO_FATAL_FAILURE(GoToReadyPage(blanked, [this](HWND list) {
    ASSERT_TRUE(wizard_.SetListItemChecked(list, 34, true));  // PNG
  }));
  ASSERT_TRUE(wizard_.Click(IDC_INI_PROGRAM_FOLDER));

  HWND box = NextOnReadyPageExpectingBox();
  ASSERT_NO_FATAL_FAILURE(ExpectQuestion(box, kConfirmAssociations));

  // While the installation waits for the answer: the buttons are disabled, the install
  // timer rewrites the title, and the progress label shows. The box is moved aside so that
  // the label can be seen.
  for (int id : {kBackButton, kNextButton, kCancelButton}) {
    EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(id))) << id;
  }
  for (int i = 0; i < 50 && WindowText(wizard_.Sheet()) != kBoxCaption; ++i) Sleep(100);
  EXPECT_EQ(kBoxCaption, WindowText(wizard_.Sheet()));
  SetWindowPos(box, nullptr, 700, 600, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_NO_FATAL_FAILURE(ExpectRedBoldArialLabel(wizard_.Control(IDC_PROGRESS_LABEL)));
  ASSERT_TRUE(wizard_.Answer(box, IDYES));
  ASSERT_NO_FATAL_FAILURE(ExpectFinishPage());

  ExpectInstalled();
  EXPECT_EQ(L"Lumenkast.png", LumenkastOwner(L"png"));
  EXPECT_TRUE(RegStringIs(HKCU, ExplorerChoiceKey(L"png"), L"Progid", L"Lumenkast.png"));
  EXPECT_EQ(L"", LumenkastOwner(L"jpg"));
  EXPECT_FALSE(RegKeyExists(HKCU, ExplorerChoiceKey(L"jpg")));

  // Settings next to the viewer, converted; no application-data folder.
  const std::wstring settings = Utf16File(L"C:\\WizTest\\Lumenkast\\lk_main64.ini");
  EXPECT_EQ(0u, settings.find(std::wstring(L"\xFEFF") + kSettingsHeader));
  EXPECT_EQ(std::wstring::npos, settings.find(L"INI_Folder"));
  EXPECT_FALSE(FolderExists(AppDataSettingsFolder()));

  // Thumbnails and group for all users; no viewer link on any desktop.
  const std::wstring commonDesktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  ExpectViewerLink(commonDesktop + L"Lumenkast 64 Thumbnails.lnk", L"/thumbs");
  ExpectViewerLink(SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"Lumenkast\\Lumenkast 64 4.50.lnk", L"");
  EXPECT_FALSE(FileExists(commonDesktop + L"Lumenkast 64.lnk"));
  EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"Lumenkast 64.lnk"));

  // "&Fertig stellen" with both boxes checked: the FAQ page through the shell (its https
  // handler here a recorder), then the installed viewer, brought to the front.
  const WebPageRecorder browser(kTargetRoot);
  ASSERT_TRUE(wizard_.Press(kCancelButton));
  HWND viewer = WaitForViewerWindow(10000);
  ASSERT_NE(nullptr, viewer);
  EXPECT_TRUE(wizard_.WaitForExit(10000));
  wchar_t viewerPath[MAX_PATH] = {};
  DWORD pid = 0;
  GetWindowThreadProcessId(viewer, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  DWORD size = MAX_PATH;
  if (process) {
    QueryFullProcessImageNameW(process, 0, viewerPath, &size);
    CloseHandle(process);
  }
  EXPECT_EQ(0, lstrcmpiW(kViewer, viewerPath)) << Narrow(viewerPath);
  EXPECT_EQ(viewer, GetForegroundWindow());
  EXPECT_NE(std::string::npos, browser.WaitForPages(5000).find(Narrow(lk::kFaqUrl)));
}

TEST_F(WizardInstall, NoFormatCheckedInstallsWithoutQuestion) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_NO_FATAL_FAILURE(GoToReadyPage(kTarget, [](HWND) {}));
  ASSERT_TRUE(wizard_.Press(kNextButton));
  ASSERT_NO_FATAL_FAILURE(ExpectFinishPage());
  EXPECT_FALSE(wizard_.HasMessageBox());
  ExpectInstalled();
  EXPECT_EQ(L"", LumenkastOwner(L"png"));

  // Both boxes cleared: "&Fertig stellen" only ends the wizard.
  ASSERT_TRUE(wizard_.Click(IDC_SHOW_FAQ));
  ASSERT_TRUE(wizard_.Click(IDC_START_VIEWER));
  ASSERT_TRUE(wizard_.Press(kCancelButton));
  EXPECT_TRUE(wizard_.WaitForExit(10000));
  EXPECT_EQ(nullptr, WaitForViewerWindow(3000));
}

TEST_F(WizardInstall, FolderThatCannotBeCreatedLeadsBackToTheOptionsPageWithEveryEntry) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_TRUE(wizard_.Click(IDC_DESKTOP_SHORTCUT));
  ASSERT_NO_FATAL_FAILURE(
      GoToReadyPage(L"Q:\\x", [this](HWND) { ASSERT_TRUE(wizard_.Click(IDC_IMAGES_ONLY)); }));
  ASSERT_TRUE(wizard_.Click(IDC_INI_PROGRAM_FOLDER));

  HWND box = NextOnReadyPageExpectingBox();
  ASSERT_NO_FATAL_FAILURE(ExpectNotice(box, kCannotCreateFolder));
  ASSERT_TRUE(wizard_.Answer(box, IDOK));
  ASSERT_TRUE(wizard_.WaitForPage(kOptionsPage));
  EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(kBackButton)));
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kNextButton)));
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kCancelButton)));
  EXPECT_EQ(L"Q:\\x", WindowText(wizard_.Control(IDC_FOLDER_EDIT)));
  EXPECT_FALSE(IsChecked(wizard_.Control(IDC_DESKTOP_SHORTCUT)));
  EXPECT_TRUE(IsChecked(wizard_.Control(IDC_THUMBS_SHORTCUT)));
  EXPECT_FALSE(RegKeyExists(HKLM, kOpenCommandKey));

  // Forward again: the check marks kept, the settings choice back at its default.
  ASSERT_NO_FATAL_FAILURE(NextUntil(kAssociationPage));
  const std::vector<int> checked = CheckedListItems(wizard_.Control(IDC_FORMAT_LIST));
  EXPECT_EQ(52u, checked.size());
  ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
  EXPECT_TRUE(IsChecked(wizard_.Control(IDC_INI_APPDATA)));
  EXPECT_FALSE(IsChecked(wizard_.Control(IDC_INI_PROGRAM_FOLDER)));
  // Nothing is being installed any more: no progress label, the buttons usable.
  EXPECT_FALSE(IsWindowVisible(wizard_.Control(IDC_PROGRESS_LABEL)));
  for (int id : {kBackButton, kNextButton, kCancelButton}) {
    EXPECT_TRUE(IsUsable(wizard_.SheetButton(id))) << id;
  }
}

// A shortcut that cannot be saved: the installation warns, naming it, and ends on the
// finish page all the same.
TEST_F(WizardInstall, ShortcutThatCannotBeSavedIsNamedInAWarningBeforeTheFinishPage) {
  const std::wstring link = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"Lumenkast 64.lnk";
  ASSERT_TRUE(CreateDirectoryW(link.c_str(), nullptr));
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_NO_FATAL_FAILURE(GoToReadyPage(kTarget, [](HWND) {}));

  HWND box = NextOnReadyPageExpectingBox();
  RemoveDirectoryW(link.c_str());
  ASSERT_NO_FATAL_FAILURE(ExpectNotice(box, std::wstring(kRegistrationIncomplete) + L": " + link));
  ASSERT_TRUE(wizard_.Answer(box, IDOK));
  ASSERT_NO_FATAL_FAILURE(ExpectFinishPage());
  EXPECT_TRUE(FileExists(kViewer));
  EXPECT_TRUE(RegKeyExists(HKLM, kOpenCommandKey));
}

// The viewer stand-in started from the build, as a user's running viewer.
class WizardWithRunningViewer : public WizardInstall {
 protected:
  void SetUp() override {
    WizardInstall::SetUp();
    ASSERT_NE(nullptr, StartViewerStandIn(10000));
  }
};

TEST_F(WizardWithRunningViewer, WarnsOnTheOptionsPageAndInstallsOnlyOnceItIsClosed) {
  ASSERT_TRUE(wizard_.Start(directory_.Path()));
  HWND box = wizard_.WaitForMessageBox();
  ASSERT_NO_FATAL_FAILURE(ExpectNotice(box, kViewerRunning));
  ASSERT_TRUE(wizard_.Answer(box, IDOK));
  ASSERT_TRUE(wizard_.WaitForPage(kOptionsPage));

  ASSERT_NO_FATAL_FAILURE(GoToReadyPage(kTarget, [](HWND) {}));
  box = NextOnReadyPageExpectingBox();
  ASSERT_NO_FATAL_FAILURE(ExpectNotice(box, kViewerRunning));
  ASSERT_TRUE(wizard_.Answer(box, IDOK));
  EXPECT_EQ(kReadyPage, wizard_.ActivePage());
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kNextButton)));
  EXPECT_FALSE(FolderExists(kTargetRoot));

  CloseViewerWindows();
  ASSERT_EQ(nullptr, WaitForViewerWindow(0));
  ASSERT_TRUE(wizard_.Press(kNextButton));
  ASSERT_NO_FATAL_FAILURE(ExpectFinishPage());
  ExpectInstalled();
}

}  // namespace
}  // namespace lktest
