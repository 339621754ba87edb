// What the user sees of the wizard: every page's texts and logo, pictures of the five
// pages (kept for the documentation), and the licence link.
#include <gtest/gtest.h>
#include <windows.h>

#define PSAPI_VERSION 2  // the K32 functions of kernel32
#include <psapi.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "app/product_info.h"
#include "res/resource.h"
#include "support/wizard_driver.h"

namespace lktest {
namespace {

struct PageLook {
  int position;
  const char* file;  // picture name
  int logos;
  std::vector<std::wstring> texts;
};

const std::vector<PageLook>& PageLooks() {
  static const std::vector<PageLook> looks = {
      {kOptionsPage,
       "wizard-1-options",
       1,
       {L"Willkommen zur Lumenkast 64 Installation!",
        L"Dieses Programm wird Lumenkast Version  4.50  (64 bit) auf Ihrem PC installieren.",
        L"Verknüpfungen erzeugen:", L"Lumenkast-Verknüpfung auf dem &Desktop",
        L"Thu&mbnails-Verknüpfung auf dem &Desktop",
        L"Lumenkast-Verknüpfung im Start-Menü -> &Programme", L"Nur für den aktuellen &Benutzer",
        L"Für &alle Benutzer", L"&Keine", L"Zielverzeichnis:", L"D&urchsuchen", L"Lumenkast EULA",
        L"(End User License Agreement) lesen."}},
      {kWhatsNewPage, "wizard-2-whats-new", 0, {L"Was ist neu in dieser Version?"}},
      {kAssociationPage,
       "wizard-3-associations",
       0,
       {L"Möchten Sie Dateien mit Lumenkast verknüpfen? (optional !)",
        L"Info: wenn Sie ein Update durchführen, können Sie diesen Schritt überspringen",
        L"* - PlugIns", L"Nur Bilder", L"Alle markieren", L"Keine markieren"}},
      {kReadyPage,
       "wizard-4-ready",
       1,
       {L"Bereit zum Installieren!", L"Zielverzeichnis: C:\\WizTest\\Lumenkast",
        L"INI-Verzeichnis ändern (für Fortgeschrittene):", L"&Lumenkast-Verzeichnis",
        L"\"&Anwendungsdaten\"-Verzeichnis (empfohlen für Vista, Win 7, Win 8, Win 10)",
        L"Installiere ... bitte warten ...",
        L"Drücken Sie den \"Weiter\" Knopf um die Installation zu starten ..."}},
      {kFinishPage,
       "wizard-5-finish",
       1,
       {L"Einrichtung abgeschlossen!",
        L"Die Installation dieses Programms auf Ihrem Computer ist abgeschlossen.",
        L"Anschließend ...", L"Lumenkast &FAQs (Häufig gestellte Fragen) Webseite anzeigen",
        L"Lumenkast &starten", std::wstring(72, L'_'),
        L"Lumenkast deinstallieren?\n\nGehen Sie zu \"Start->Programme->Lumenkast\" und "
        L"starten Sie \"Lumenkast deinstallieren\"."}},
  };
  return looks;
}

// Picture controls of the page that show a bitmap.
int LogoCount(HWND page) {
  int logos = 0;
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    DWORD_PTR image = 0;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP &&
        SendMessageTimeoutW(child, STM_GETIMAGE, IMAGE_BITMAP, 0, SMTO_NORMAL, 2000, &image) &&
        image) {
      ++logos;
    }
  }
  return logos;
}

int DistinctColours(const ScreenCapture& shot) {
  std::set<COLORREF> colours;
  for (int y = 0; y < shot.Height(); y += 2) {
    for (int x = 0; x < shot.Width(); x += 2) colours.insert(shot.Pixel(x, y));
  }
  return static_cast<int>(colours.size());
}

// Pixels of one colour in a picture of the window: in all, and in its fullest row.
struct ColourCount {
  int total = 0;
  int fullestRow = 0;
};

ColourCount CountColour(HWND window, COLORREF colour) {
  const ScreenCapture shot = ScreenCapture::OfWindow(window);
  ColourCount count;
  for (int y = 0; y < shot.Height(); ++y) {
    int row = 0;
    for (int x = 0; x < shot.Width(); ++x) row += shot.Pixel(x, y) == colour;
    count.total += row;
    count.fullestRow = std::max(count.fullestRow, row);
  }
  return count;
}

class WizardLook : public WizardTest {
 protected:
  // The page shown, checked and pictured into <build>\screenshots.
  void CheckAndPicture(const PageLook& look) {
    SCOPED_TRACE(look.file);
    ASSERT_EQ(look.position, wizard_.ActivePage());
    HWND page = wizard_.ActivePageWindow();
    for (const std::wstring& text : look.texts) EXPECT_TRUE(ShowsText(page, text));
    EXPECT_EQ(look.logos, LogoCount(page));

    wizard_.Sync();
    Sleep(400);  // let the page paint
    const ScreenCapture shot = ScreenCapture::OfWindow(wizard_.Sheet());
    EXPECT_GT(DistinctColours(shot), 8) << "nothing drawn";
    const std::wstring folder = std::wstring(LK_BUILD_DIR) + L"\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string name = look.file;
    EXPECT_TRUE(shot.SaveBmp(folder + L"\\" + std::wstring(name.begin(), name.end()) + L".bmp"));
  }
};

// Lower-case paths of the comctl32 libraries the process that owns window has loaded.
std::vector<std::wstring> CommonControlsLibraries(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  lk::ScopedFileHandle process(
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  std::vector<std::wstring> found;
  HMODULE modules[512] = {};
  DWORD bytes = 0;
  if (!process || !K32EnumProcessModules(process.Get(), modules, sizeof(modules), &bytes)) {
    ADD_FAILURE() << "modules of process " << processId << " not readable";
    return found;
  }
  for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < std::size(modules); ++i) {
    wchar_t path[MAX_PATH] = {};
    if (!K32GetModuleFileNameExW(process.Get(), modules[i], path, MAX_PATH)) continue;
    std::wstring lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), towlower);
    if (lower.size() >= 13 && lower.compare(lower.size() - 13, 13, L"\\comctl32.dll") == 0) {
      found.push_back(lower);
    }
  }
  return found;
}

TEST_F(WizardLook, EveryPageShowsItsGermanTextsAndIsPictured) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_NO_FATAL_FAILURE(TypeFolder(kTarget));
  for (const PageLook& look : PageLooks()) {
    if (look.position == kFinishPage) {
      ASSERT_TRUE(wizard_.Press(kNextButton));  // installs; no format checked, no question
      ASSERT_TRUE(wizard_.WaitForPage(kFinishPage, 30000));
    } else {
      ASSERT_NO_FATAL_FAILURE(NextUntil(look.position));
    }
    ASSERT_NO_FATAL_FAILURE(CheckAndPicture(look));
  }
}

// The licence link: blue, underlined, its window fitted to its text, and a click opens the
// licence address through the shell (whose https handler is a recorder here).
TEST_F(WizardLook, LicenceLinkIsABlueUnderlinedFittedLinkThatOpensTheLicencePage) {
  const COLORREF linkBlue = RGB(0, 0, 238);
  const COLORREF visitedPurple = RGB(85, 26, 139);
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  HWND link = wizard_.Control(IDC_LICENSE_LINK);
  ASSERT_NE(nullptr, link);
  EXPECT_EQ(L"Lumenkast EULA", WindowText(link));

  // The window is exactly as large as the text in the page's font, underlined.
  LOGFONTW font = PageFontDescription();
  font.lfUnderline = TRUE;
  lk::ScopedCreatedDc dc(CreateCompatibleDC(nullptr));
  lk::ScopedGdiObject underlined(CreateFontIndirectW(&font));
  SelectObject(dc.Get(), underlined.Get());
  SIZE text = {};
  GetTextExtentPoint32W(dc.Get(), L"Lumenkast EULA", 14, &text);
  RECT window = {};
  GetWindowRect(link, &window);
  EXPECT_EQ(text.cx, window.right - window.left);
  EXPECT_EQ(text.cy, window.bottom - window.top);

  // Drawn in the link colour with an underline across the whole text.
  ColourCount blue;
  for (int attempt = 0; attempt < 15 && blue.total == 0; ++attempt) {
    Sleep(200);  // painted after activation
    blue = CountColour(link, linkBlue);
  }
  EXPECT_GT(blue.total, 0) << "no text in the link colour";
  EXPECT_GE(blue.fullestRow, (window.right - window.left) * 9 / 10) << "no underline";

  const WebPageRecorder browser(kTargetRoot);
  wizard_.ClickStatic(link);
  EXPECT_EQ(Narrow(lk::kLicenseUrl) + "\r\n", browser.WaitForPages(10000));

  // Visited now: redrawn in the visited colour; the wizard stays where it was.
  ColourCount purple;
  for (int attempt = 0; attempt < 15 && (purple.total == 0 || blue.total > 0); ++attempt) {
    Sleep(200);
    purple = CountColour(link, visitedPurple);
    blue = CountColour(link, linkBlue);
  }
  EXPECT_GT(purple.total, 0);
  EXPECT_EQ(0, blue.total);
  EXPECT_EQ(kOptionsPage, wizard_.ActivePage());
  EXPECT_FALSE(wizard_.HasMessageBox());
}

// The setup loads the common controls itself, for the wizard only: the sheet uses version 6
// as the manifest binds it (from the side-by-side store), and no second copy is loaded.
TEST_F(WizardLook, SheetUsesVersion6OfTheCommonControlsFromTheSideBySideStore) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  const std::vector<std::wstring> libraries = CommonControlsLibraries(wizard_.Sheet());
  ASSERT_EQ(1u, libraries.size());
  EXPECT_NE(std::wstring::npos, libraries[0].find(L"\\winsxs\\")) << Narrow(libraries[0]);
  EXPECT_NE(std::wstring::npos, libraries[0].find(L"microsoft.windows.common-controls_"))
      << Narrow(libraries[0]);
  EXPECT_NE(std::wstring::npos, libraries[0].find(L"_6.0.")) << Narrow(libraries[0]);
}

}  // namespace
}  // namespace lktest
