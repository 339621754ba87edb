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
#include "support/installation_state.h"
#include "support/registry_reader.h"
#include "support/shell_link_reader.h"
#include "support/wizard_driver.h"

namespace {

using lktest::FileExists;
using lktest::IsChecked;
using lktest::IsUsable;
using lktest::kBackButton;
using lktest::kCancelButton;
using lktest::kFinishPage;
using lktest::kNextButton;
using lktest::kReadyPage;
using lktest::RegKeyExists;
using lktest::RegStringIs;
using lktest::SpecialFolder;
using lktest::WindowText;

const HKEY HKLM = HKEY_LOCAL_MACHINE;
const HKEY HKCU = HKEY_CURRENT_USER;

constexpr int kDesktop = 1011;
constexpr int kAllUsers = 1017;
constexpr int kFormatList = 1579;
constexpr int kImagesOnly = 1091;
constexpr int kProgramFolderOption = 1038;
constexpr int kProgressLabel = 1044;
constexpr int kShowFaq = 1022;
constexpr int kStartViewer = 1020;

constexpr wchar_t kViewer[] = L"C:\\WizTest\\Lumenkast\\lk_main64.exe";
constexpr wchar_t kOpenCommandKey[] = L"SOFTWARE\\Classes\\Lumenkast\\shell\\open\\command";
constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumenkast64";
constexpr wchar_t kConfirmAssociations[] =
    L"Sie möchten die aktuellen Verknüpfungen ändern und einen oder mehrere Dateitypen mit "
    L"Lumenkast verknüpfen!\n\nSind Sie sicher!?";
constexpr wchar_t kViewerRunning[] =
    L"Warnung: Lumenkast läuft!\nBeenden Sie bitte Lumenkast bevor Sie mit der Installation "
    L"fortsetzen!";
constexpr wchar_t kCannotCreateFolder[] =
    L"Kann Zielverzeichnis nicht erstellen!\n\nBitte überprüfen Sie Ihre Schreibrechte und "
    L"System-Policies!\n\nVersuchen Sie das Zielverzeichnis zuerst händisch zu erstellen.";
constexpr wchar_t kSettingsHeader[] = L"; UNICODE FILE - edit with care ;-)\r\n\r\n";

std::wstring ExplorerChoice(const wchar_t* extension) {
  return std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.") +
         extension + L"\\UserChoice";
}

// The extension's owner when the viewer is it; empty otherwise.
std::wstring LumenkastOwner(const wchar_t* extension) {
  std::wstring owner;
  lktest::ReadRegString(HKLM, std::wstring(L"SOFTWARE\\Classes\\.") + extension, nullptr, &owner);
  return owner.rfind(L"Lumenkast.", 0) == 0 ? owner : L"";
}

std::wstring Utf16File(const std::wstring& path) {
  const std::string bytes = lktest::ReadFileBytes(path);
  std::wstring text(bytes.size() / 2, L'\0');
  if (!text.empty()) memcpy(&text[0], bytes.data(), text.size() * 2);
  return text;
}

std::string Latin1(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c);
  return out;
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
int CountDifferent(const lktest::ScreenCapture& shot, const std::vector<COLORREF>& painted) {
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
  LOGFONTW boldPageFont = lktest::PageFontDescription();
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
    const lktest::ScreenCapture shot = lktest::ScreenCapture::OfScreenRect(client);
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

class WizardInstall : public lktest::WizardTest {
 protected:
  // Options page to ready page with the folder typed and the rows chosen by choose().
  template <typename Choose>
  void GoToReadyPage(const std::wstring& folder, Choose choose) {
    ASSERT_NO_FATAL_FAILURE(TypeFolder(folder));
    ASSERT_NO_FATAL_FAILURE(NextUntil(lktest::kAssociationPage));
    ASSERT_NO_FATAL_FAILURE(choose(wizard_.Control(kFormatList)));
    ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
  }
  // Next on the ready page; the message box it leads to (null when none appears).
  HWND NextOnReadyPageExpectingBox() {
    EXPECT_TRUE(wizard_.Press(kNextButton));
    return wizard_.WaitForMessageBox(30000);
  }
  void ExpectFinishPage() {
    ASSERT_TRUE(wizard_.WaitForPage(kFinishPage, 30000));
    EXPECT_TRUE(IsChecked(wizard_.Control(kShowFaq)));
    EXPECT_TRUE(IsChecked(wizard_.Control(kStartViewer)));
    EXPECT_EQ(L"&Fertig stellen", WindowText(wizard_.SheetButton(kCancelButton)));
    EXPECT_TRUE(IsUsable(wizard_.SheetButton(kCancelButton)));
    EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(kBackButton)));
    EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(kNextButton)));
  }
  static void ExpectQuestion(HWND box, const wchar_t* text) {
    ASSERT_NE(nullptr, box);
    const lktest::MessageBoxView view = lktest::ReadMessageBox(box);
    EXPECT_EQ(lktest::kBoxCaption, view.caption);
    EXPECT_EQ(text, view.text);
    EXPECT_TRUE(view.hasYes);
    EXPECT_TRUE(view.hasNo);
    EXPECT_EQ(IDNO, view.defaultButton);
  }
  static void ExpectNotice(HWND box, const wchar_t* text) {
    ASSERT_NE(nullptr, box);
    const lktest::MessageBoxView view = lktest::ReadMessageBox(box);
    EXPECT_EQ(lktest::kBoxCaption, view.caption);
    EXPECT_EQ(text, view.text);
    EXPECT_TRUE(view.hasOk);
    EXPECT_FALSE(view.hasYes);
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
  static void ExpectLink(const std::wstring& path, const wchar_t* arguments) {
    lktest::ShellLinkInfo link;
    ASSERT_TRUE(lktest::ReadShellLink(path, &link)) << lktest::Narrow(path);
    EXPECT_EQ(kViewer, link.target) << lktest::Narrow(path);
    EXPECT_EQ(arguments, link.arguments) << lktest::Narrow(path);
  }
};

TEST_F(WizardInstall, FormatsCheckedAnsweredNoInstallsEverythingButTheAssociations) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_NO_FATAL_FAILURE(
      GoToReadyPage(kTarget, [this](HWND) { ASSERT_TRUE(wizard_.Click(kImagesOnly)); }));

  HWND box = NextOnReadyPageExpectingBox();
  ASSERT_NO_FATAL_FAILURE(ExpectQuestion(box, kConfirmAssociations));
  // The files and settings are in place before the question; the registry is not yet.
  EXPECT_TRUE(FileExists(kViewer));
  EXPECT_FALSE(RegKeyExists(HKLM, kOpenCommandKey));
  ASSERT_TRUE(wizard_.Answer(box, IDNO));
  ASSERT_NO_FATAL_FAILURE(ExpectFinishPage());

  ExpectInstalled();
  for (const wchar_t* extension : {L"jpg", L"png", L"bmp", L"dib"}) {
    EXPECT_EQ(L"", LumenkastOwner(extension)) << lktest::Narrow(extension);
    EXPECT_FALSE(RegKeyExists(HKCU, ExplorerChoice(extension))) << lktest::Narrow(extension);
  }

  // Settings in the application-data folder, proposed by the ready page; the program
  // folder's file only points there.
  const std::wstring settings = Utf16File(AppDataSettingsFolder() + L"lk_main64.ini");
  EXPECT_EQ(0u, settings.find(std::wstring(L"\xFEFF") + kSettingsHeader));
  EXPECT_NE(std::wstring::npos, settings.find(L"Lang=Deutsch"));
  EXPECT_NE(std::string::npos, lktest::ReadFileBytes(L"C:\\WizTest\\Lumenkast\\lk_main64.ini")
                                   .find("INI_Folder=%APPDATA%\\Lumenkast"));

  // The three shortcuts of the options page's defaults, for the current user.
  const std::wstring desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring group = SpecialFolder(CSIDL_PROGRAMS) + L"Lumenkast\\";
  ExpectLink(desktop + L"Lumenkast 64.lnk", L"");
  ExpectLink(desktop + L"Lumenkast 64 Thumbnails.lnk", L"/thumbs");
  ExpectLink(group + L"Lumenkast 64 4.50.lnk", L"");
  EXPECT_FALSE(lktest::FolderExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"Lumenkast"));

  // The close box on the finish page ends the wizard without a question (which would
  // keep it running).
  wizard_.PressCloseBox();
  EXPECT_TRUE(wizard_.WaitForExit(10000));
}

TEST_F(WizardInstall, FormatsAnsweredYesAreAssociatedAndFinishOpensFaqAndViewer) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_TRUE(wizard_.Click(kDesktop));
  ASSERT_TRUE(wizard_.Click(kAllUsers));
  ASSERT_NO_FATAL_FAILURE(GoToReadyPage(kTarget, [this](HWND list) {
    ASSERT_TRUE(wizard_.SetListItemChecked(list, 34, true));  // PNG
  }));
  ASSERT_TRUE(wizard_.Click(kProgramFolderOption));

  HWND box = NextOnReadyPageExpectingBox();
  ASSERT_NO_FATAL_FAILURE(ExpectQuestion(box, kConfirmAssociations));

  // While the installation waits for the answer: the buttons are disabled, the install
  // timer rewrites the title, and the progress label shows. The box is moved aside so that
  // the label can be seen.
  for (int id : {kBackButton, kNextButton, kCancelButton}) {
    EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(id))) << id;
  }
  for (int i = 0; i < 50 && WindowText(wizard_.Sheet()) != lktest::kBoxCaption; ++i) Sleep(100);
  EXPECT_EQ(lktest::kBoxCaption, WindowText(wizard_.Sheet()));
  SetWindowPos(box, nullptr, 700, 600, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_NO_FATAL_FAILURE(ExpectRedBoldArialLabel(wizard_.Control(kProgressLabel)));
  ASSERT_TRUE(wizard_.Answer(box, IDYES));
  ASSERT_NO_FATAL_FAILURE(ExpectFinishPage());

  ExpectInstalled();
  EXPECT_EQ(L"Lumenkast.png", LumenkastOwner(L"png"));
  EXPECT_TRUE(RegStringIs(HKCU, ExplorerChoice(L"png"), L"Progid", L"Lumenkast.png"));
  EXPECT_EQ(L"", LumenkastOwner(L"jpg"));
  EXPECT_FALSE(RegKeyExists(HKCU, ExplorerChoice(L"jpg")));

  // Settings next to the viewer, converted; no application-data folder.
  const std::wstring settings = Utf16File(L"C:\\WizTest\\Lumenkast\\lk_main64.ini");
  EXPECT_EQ(0u, settings.find(std::wstring(L"\xFEFF") + kSettingsHeader));
  EXPECT_EQ(std::wstring::npos, settings.find(L"INI_Folder"));
  EXPECT_FALSE(lktest::FolderExists(AppDataSettingsFolder()));

  // Thumbnails and group for all users; no viewer link on any desktop.
  const std::wstring commonDesktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  ExpectLink(commonDesktop + L"Lumenkast 64 Thumbnails.lnk", L"/thumbs");
  ExpectLink(SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"Lumenkast\\Lumenkast 64 4.50.lnk", L"");
  EXPECT_FALSE(FileExists(commonDesktop + L"Lumenkast 64.lnk"));
  EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"Lumenkast 64.lnk"));

  // "&Fertig stellen" with both boxes checked: the FAQ page through the shell (its https
  // handler here a recorder), then the installed viewer, brought to the front.
  const std::wstring opened = std::wstring(kTargetRoot) + L"\\shell-open.txt";
  lktest::ScopedRegString browser(HKLM, L"SOFTWARE\\Classes\\https\\shell\\open\\command", nullptr,
                                  L"C:\\windows\\system32\\cmd.exe /c echo %1>>" + opened);
  ASSERT_TRUE(wizard_.Press(kCancelButton));
  HWND viewer = lktest::WaitForViewerWindow(10000);
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
  EXPECT_EQ(0, lstrcmpiW(kViewer, viewerPath)) << lktest::Narrow(viewerPath);
  EXPECT_EQ(viewer, GetForegroundWindow());
  for (int i = 0; i < 50 && lktest::ReadFileBytes(opened).empty(); ++i) Sleep(100);
  EXPECT_NE(std::string::npos, lktest::ReadFileBytes(opened).find(Latin1(lk::kFaqUrl)));
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
  ASSERT_TRUE(wizard_.Click(kShowFaq));
  ASSERT_TRUE(wizard_.Click(kStartViewer));
  ASSERT_TRUE(wizard_.Press(kCancelButton));
  EXPECT_TRUE(wizard_.WaitForExit(10000));
  EXPECT_EQ(nullptr, lktest::WaitForViewerWindow(3000));
}

TEST_F(WizardInstall, FolderThatCannotBeCreatedLeadsBackToTheOptionsPageWithEveryEntry) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_TRUE(wizard_.Click(kDesktop));
  ASSERT_NO_FATAL_FAILURE(
      GoToReadyPage(L"Q:\\x", [this](HWND) { ASSERT_TRUE(wizard_.Click(kImagesOnly)); }));
  ASSERT_TRUE(wizard_.Click(kProgramFolderOption));

  HWND box = NextOnReadyPageExpectingBox();
  ASSERT_NO_FATAL_FAILURE(ExpectNotice(box, kCannotCreateFolder));
  ASSERT_TRUE(wizard_.Answer(box, IDOK));
  ASSERT_TRUE(wizard_.WaitForPage(lktest::kOptionsPage));
  EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(kBackButton)));
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kNextButton)));
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kCancelButton)));
  EXPECT_EQ(L"Q:\\x", WindowText(wizard_.Control(1000)));
  EXPECT_FALSE(IsChecked(wizard_.Control(kDesktop)));
  EXPECT_TRUE(IsChecked(wizard_.Control(1021)));
  EXPECT_FALSE(RegKeyExists(HKLM, kOpenCommandKey));

  // Forward again: the check marks kept, the settings choice back at its default.
  ASSERT_NO_FATAL_FAILURE(NextUntil(lktest::kAssociationPage));
  const std::vector<int> checked = lktest::CheckedListItems(wizard_.Control(kFormatList));
  EXPECT_EQ(52u, checked.size());
  ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
  EXPECT_TRUE(IsChecked(wizard_.Control(1039)));
  EXPECT_FALSE(IsChecked(wizard_.Control(kProgramFolderOption)));
}

// The viewer stand-in started from the build, as a user's running viewer.
class WizardWithRunningViewer : public WizardInstall {
 protected:
  void SetUp() override {
    WizardInstall::SetUp();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring command =
        L"\"" + std::wstring(LK_BUILD_DIR) + L"\\payload\\standins\\lk_main64.exe\"";
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_NE(nullptr, lktest::WaitForViewerWindow(10000));
  }
};

TEST_F(WizardWithRunningViewer, WarnsOnTheOptionsPageAndInstallsOnlyOnceItIsClosed) {
  ASSERT_TRUE(wizard_.Start(directory_.Path()));
  HWND box = wizard_.WaitForMessageBox();
  ASSERT_NO_FATAL_FAILURE(ExpectNotice(box, kViewerRunning));
  ASSERT_TRUE(wizard_.Answer(box, IDOK));
  ASSERT_TRUE(wizard_.WaitForPage(lktest::kOptionsPage));

  ASSERT_NO_FATAL_FAILURE(GoToReadyPage(kTarget, [](HWND) {}));
  box = NextOnReadyPageExpectingBox();
  ASSERT_NO_FATAL_FAILURE(ExpectNotice(box, kViewerRunning));
  ASSERT_TRUE(wizard_.Answer(box, IDOK));
  EXPECT_EQ(kReadyPage, wizard_.ActivePage());
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kNextButton)));
  EXPECT_FALSE(lktest::FolderExists(kTargetRoot));

  lktest::CloseViewerWindows();
  ASSERT_EQ(nullptr, lktest::WaitForViewerWindow(0));
  ASSERT_TRUE(wizard_.Press(kNextButton));
  ASSERT_NO_FATAL_FAILURE(ExpectFinishPage());
  ExpectInstalled();
}

}  // namespace
