// What the user sees of the wizard: every page's texts, heading and logo in proportion at
// every display scale, pictures of the five pages (kept for the documentation), and the
// licence link by mouse and by keyboard.
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
  int heading;        // the heading's control id, 0 on pages without one
  std::wstring body;  // a text of the page's body, which the heading is not smaller than
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
        L"(End User License Agreement) lesen."},
       IDC_WELCOME_HEADING,
       L"Dieses Programm wird Lumenkast Version  4.50  (64 bit) auf Ihrem PC installieren."},
      {kWhatsNewPage, "wizard-2-whats-new", 0, {L"Was ist neu in dieser Version?"}, 0, L""},
      {kAssociationPage,
       "wizard-3-associations",
       0,
       {L"Möchten Sie Dateien mit Lumenkast verknüpfen? (optional !)",
        L"Info: wenn Sie ein Update durchführen, können Sie diesen Schritt überspringen",
        L"* - PlugIns", L"Nur Bilder", L"Alle markieren", L"Keine markieren"},
       0,
       L""},
      {kReadyPage,
       "wizard-4-ready",
       1,
       {L"Bereit zum Installieren!", L"Zielverzeichnis: C:\\WizTest\\Lumenkast",
        L"INI-Verzeichnis ändern (für Fortgeschrittene):", L"&Lumenkast-Verzeichnis",
        L"\"&Anwendungsdaten\"-Verzeichnis (empfohlen für Vista, Win 7, Win 8, Win 10)",
        L"Installiere ... bitte warten ...",
        L"Drücken Sie den \"Weiter\" Knopf um die Installation zu starten ..."},
       IDC_READY_HEADING,
       L"Zielverzeichnis: C:\\WizTest\\Lumenkast"},
      {kFinishPage,
       "wizard-5-finish",
       1,
       {L"Einrichtung abgeschlossen!",
        L"Die Installation dieses Programms auf Ihrem Computer ist abgeschlossen.",
        L"Anschließend ...", L"Lumenkast &FAQs (Häufig gestellte Fragen) Webseite anzeigen",
        L"Lumenkast &starten", std::wstring(72, L'_'),
        L"Lumenkast deinstallieren?\n\nGehen Sie zu \"Start->Programme->Lumenkast\" und "
        L"starten Sie \"Lumenkast deinstallieren\"."},
       IDC_FINISH_HEADING,
       L"Die Installation dieses Programms auf Ihrem Computer ist abgeschlossen."},
  };
  return looks;
}

// The display scales every page is checked and pictured at: dots per inch and the suffix of
// the pictures' names (docs/ shows the pages at 100 % and the options page at 200 %).
struct DisplayScale {
  DWORD dpi;
  const char* suffix;
};
constexpr DisplayScale kScales[] = {{96, ""}, {120, "-125"}, {144, "-150"}, {192, "-200"}};

// The logo's size in pixels at 100 %.
constexpr SIZE kLogoSize = {88, 31};

RECT WindowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

// Picture controls of the page that show a bitmap.
std::vector<HWND> Logos(HWND page) {
  std::vector<HWND> logos;
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    DWORD_PTR image = 0;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP &&
        SendMessageTimeoutW(child, STM_GETIMAGE, IMAGE_BITMAP, 0, SMTO_NORMAL, 2000, &image) &&
        image) {
      logos.push_back(child);
    }
  }
  return logos;
}

HWND ChildShowing(HWND parent, const std::wstring& text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowText(child) == text) return child;
  }
  return nullptr;
}

int DistinctColours(const ScreenCapture& shot) {
  std::set<COLORREF> colours;
  for (int y = 0; y < shot.Height(); y += 2) {
    for (int x = 0; x < shot.Width(); x += 2) colours.insert(shot.Pixel(x, y));
  }
  return static_cast<int>(colours.size());
}

bool IsDarkText(COLORREF pixel) {
  return GetRValue(pixel) < 100 && GetGValue(pixel) < 100 && GetBValue(pixel) < 100;
}

bool IsRedText(COLORREF pixel) {
  return GetRValue(pixel) > 180 && GetGValue(pixel) < 100 && GetBValue(pixel) < 100;
}

// The height in pixels of the first letter a control shows, in a picture of it: within the
// rows of its first line of ink, the first run of columns with ink, from its top ink to its
// bottom ink. Every text measured starts with a capital letter; 0 when there is no ink.
int FirstLetterHeight(HWND control, bool (*isInk)(COLORREF)) {
  const ScreenCapture shot = ScreenCapture::OfWindow(control);
  const auto inkInRow = [&](int y, int fromX, int toX) {
    for (int x = fromX; x <= toX; ++x) {
      if (isInk(shot.Pixel(x, y))) return true;
    }
    return false;
  };
  const auto inkInColumn = [&](int x, int fromY, int toY) {
    for (int y = fromY; y <= toY; ++y) {
      if (isInk(shot.Pixel(x, y))) return true;
    }
    return false;
  };
  const int right = shot.Width() - 1;
  int lineTop = 0;
  while (lineTop < shot.Height() && !inkInRow(lineTop, 0, right)) ++lineTop;
  if (lineTop == shot.Height()) return 0;
  int lineBottom = lineTop;
  while (lineBottom + 1 < shot.Height() && inkInRow(lineBottom + 1, 0, right)) ++lineBottom;
  int letterLeft = 0;
  while (!inkInColumn(letterLeft, lineTop, lineBottom)) ++letterLeft;
  int letterRight = letterLeft;
  while (letterRight + 1 <= right && inkInColumn(letterRight + 1, lineTop, lineBottom)) {
    ++letterRight;
  }
  int top = lineTop;
  while (!inkInRow(top, letterLeft, letterRight)) ++top;
  int bottom = lineBottom;
  while (!inkInRow(bottom, letterLeft, letterRight)) --bottom;
  return bottom - top + 1;
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

// Pixels of the window's top row, in a picture of it, that are not the button face.
int MarkedTopRowPixels(HWND window) {
  const ScreenCapture shot = ScreenCapture::OfWindow(window);
  int marked = 0;
  for (int x = 0; x < shot.Width(); ++x) marked += shot.Pixel(x, 0) != GetSysColor(COLOR_BTNFACE);
  return marked;
}

::testing::AssertionResult Encloses(const RECT& outer, HWND window) {
  const RECT inner = WindowRect(window);
  if (inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
      inner.bottom <= outer.bottom) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "\"" << Narrow(WindowText(window)) << "\" (" << inner.left << ", " << inner.top
         << ", " << inner.right << ", " << inner.bottom << ") leaves (" << outer.left << ", "
         << outer.top << ", " << outer.right << ", " << outer.bottom << ")";
}

class WizardLook : public WizardTest {
 protected:
  // The page shown, checked at the scale and pictured into <build>\screenshots.
  void CheckAndPicture(const PageLook& look, const DisplayScale& scale) {
    SCOPED_TRACE(look.file);
    ASSERT_EQ(look.position, wizard_.ActivePage());
    HWND page = wizard_.ActivePageWindow();
    for (const std::wstring& text : look.texts) EXPECT_TRUE(ShowsText(page, text));

    wizard_.Sync();
    Sleep(400);  // let the page paint
    ExpectInProportion(look, scale.dpi);
    const ScreenCapture shot = ScreenCapture::OfWindow(wizard_.Sheet());
    EXPECT_GT(DistinctColours(shot), 8) << "nothing drawn";
    const std::wstring folder = std::wstring(LK_BUILD_DIR) + L"\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string name = std::string(look.file) + scale.suffix;
    EXPECT_TRUE(shot.SaveBmp(folder + L"\\" + std::wstring(name.begin(), name.end()) + L".bmp"));
  }

  // The heading is not smaller than the body text, the logo is drawn at the scale's size,
  // and every control lies on the page, which lies in the sheet.
  void ExpectInProportion(const PageLook& look, DWORD dpi) {
    HWND page = wizard_.ActivePageWindow();
    if (look.heading) {
      HWND body = ChildShowing(page, look.body);
      ASSERT_NE(nullptr, body);
      const int bodyHeight = FirstLetterHeight(body, IsDarkText);
      EXPECT_GT(bodyHeight, 0);
      EXPECT_GE(FirstLetterHeight(GetDlgItem(page, look.heading), IsDarkText), bodyHeight);
    }

    const std::vector<HWND> logos = Logos(page);
    EXPECT_EQ(look.logos, static_cast<int>(logos.size()));
    const LONG width = MulDiv(kLogoSize.cx, dpi, 96);
    const LONG height = MulDiv(kLogoSize.cy, dpi, 96);
    for (HWND logo : logos) {
      const RECT rect = WindowRect(logo);
      EXPECT_EQ(width, rect.right - rect.left);
      EXPECT_EQ(height, rect.bottom - rect.top);
      // Drawn over all of it: its bottom right corner shows the logo's blue.
      const COLORREF corner = ScreenCapture::OfWindow(logo).Pixel(width - 2, height - 2);
      EXPECT_TRUE(corner != CLR_INVALID && GetBValue(corner) > 2 * GetRValue(corner))
          << "no logo in the corner: " << std::hex << corner;
    }

    // Nothing reaches past the page, and nothing has to be scrolled sideways.
    const RECT pageRect = WindowRect(page);
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      EXPECT_TRUE(Encloses(pageRect, child));
      EXPECT_FALSE(GetWindowLongW(child, GWL_STYLE) & WS_HSCROLL) << Narrow(WindowText(child));
    }
    RECT sheetClient = {};
    GetClientRect(wizard_.Sheet(), &sheetClient);
    MapWindowPoints(wizard_.Sheet(), nullptr, reinterpret_cast<POINT*>(&sheetClient), 2);
    EXPECT_TRUE(Encloses(sheetClient, page));
  }

  // Next on the ready page, with a format chosen: the installation asks before it
  // associates, and while it asks the red progress label shows, not smaller than the
  // page's body text. The answer No installs without associating.
  void InstallLookingAtTheProgressLabel() {
    HWND ready = wizard_.ActivePageWindow();
    const int bodyHeight = FirstLetterHeight(GetDlgItem(ready, IDC_READY_FOLDER), IsDarkText);
    ASSERT_TRUE(wizard_.Press(kNextButton));
    HWND box = wizard_.WaitForMessageBox(30000);
    ASSERT_NE(nullptr, box);
    // Out of the way of the picture.
    SetWindowPos(box, nullptr, GetSystemMetrics(SM_CXSCREEN) - 10,
                 GetSystemMetrics(SM_CYSCREEN) - 10, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND label = GetDlgItem(ready, IDC_PROGRESS_LABEL);
    EXPECT_TRUE(IsWindowVisible(label));
    int labelHeight = 0;
    WaitUntil(5000, [&] { return (labelHeight = FirstLetterHeight(label, IsRedText)) > 0; });
    EXPECT_GE(labelHeight, bodyHeight) << "the progress label is smaller than the text";
    ASSERT_TRUE(wizard_.Answer(box, IDNO));
    ASSERT_TRUE(wizard_.WaitForPage(kFinishPage, 30000));
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

// At 100, 125, 150 and 200 %: every page's texts, heading, logo and controls in proportion
// and on the page, and its picture.
TEST_F(WizardLook, EveryPageAtEveryScaleShowsItsTextsInProportionAndIsPictured) {
  for (const DisplayScale& scale : kScales) {
    SCOPED_TRACE(::testing::Message() << scale.dpi << " dpi");
    const ScopedDisplayDpi display(scale.dpi);
    ASSERT_NO_FATAL_FAILURE(StartWizard());
    ASSERT_NO_FATAL_FAILURE(TypeFolder(kTarget));
    for (const PageLook& look : PageLooks()) {
      if (look.position == kFinishPage) {
        ASSERT_NO_FATAL_FAILURE(InstallLookingAtTheProgressLabel());
      } else {
        ASSERT_NO_FATAL_FAILURE(NextUntil(look.position));
      }
      ASSERT_NO_FATAL_FAILURE(CheckAndPicture(look, scale));
      if (look.position == kAssociationPage) {
        ASSERT_TRUE(wizard_.SetListItemChecked(wizard_.Control(IDC_FORMAT_LIST), 0, true));
      }
    }
    wizard_.Terminate();
    RemoveTraces();
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

// By keyboard alone: Tab goes from the target-folder controls on to the licence link, which
// shows a focus rectangle, and Enter opens the licence address as a click does, instead of
// pressing Next.
TEST_F(WizardLook, TabReachesTheLicenceLinkAfterTheFolderControlsAndEnterOpensIt) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  HWND browse = wizard_.Control(IDC_BROWSE);
  HWND link = wizard_.Control(IDC_LICENSE_LINK);
  const auto tab = [this] {
    HWND from = FocusedControl(wizard_);
    return PressKey(wizard_, VK_TAB) &&
           WaitUntil(5000, [&] { return FocusedControl(wizard_) != from; });
  };
  for (int press = 0; press < 20 && FocusedControl(wizard_) != browse; ++press) {
    ASSERT_TRUE(tab());
  }
  ASSERT_EQ(browse, FocusedControl(wizard_));
  const int unfocused = MarkedTopRowPixels(link);
  ASSERT_TRUE(tab());
  EXPECT_EQ(link, FocusedControl(wizard_));
  // The dotted frame marks every other pixel of the link's top row.
  const LONG width = WindowRect(link).right - WindowRect(link).left;
  EXPECT_TRUE(WaitUntil(3000, [&] { return MarkedTopRowPixels(link) >= unfocused + width / 3; }));

  const WebPageRecorder browser(kTargetRoot);
  ASSERT_TRUE(PressKey(wizard_, VK_RETURN));
  EXPECT_EQ(Narrow(lk::kLicenseUrl) + "\r\n", browser.WaitForPages(10000));
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
