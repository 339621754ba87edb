#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

#include "dialog_template_fixture.h"
#include "framework/dialog.h"
#include "support/test_support.h"
#include "wizard/browser_command.h"
#include "wizard/hyper_link.h"

namespace {

constexpr int kLinkId = 1045;

// A popup dialog whose data exchange binds the one static control to a CHyperLink.
class LinkDialog : public CDialog {
 public:
  LinkDialog(DWORD staticStyle, const wchar_t* text, const wchar_t* presetTarget = nullptr)
      : CDialog(0),
        template_(WS_POPUP | WS_VISIBLE, 150, 100, 220, 60,
                  {{kLinkId, L"STATIC", staticStyle, text, 10, 10, 200, 20}}) {
    if (presetTarget) link.target = presetTarget;
    CreateIndirect(template_.Get(), nullptr);
  }
  ~LinkDialog() override {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
  }

  CHyperLink link;

 protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, kLinkId, link); }

 private:
  lktest::DialogTemplate template_;
};

// A dialog with a default OK button and, after it in the tab order, a link; it counts the
// OK commands that reach it. Keys are pressed through the dialog manager, as the message
// loop of a dialog (or of a property sheet) hands them over.
class KeyboardDialog : public CDialog {
 public:
  explicit KeyboardDialog(const wchar_t* target)
      : CDialog(0),
        template_(WS_POPUP | WS_VISIBLE, 150, 100, 220, 60,
                  {{IDOK, L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, L"OK", 10, 30, 50, 14},
                   {kLinkId, L"STATIC", SS_LEFT, L"Lumenkast EULA", 10, 10, 200, 12}}) {
    link.target = target;
    CreateIndirect(template_.Get(), nullptr);
  }
  ~KeyboardDialog() override {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
  }

  // One press of key (a repeat: the key was held down) at the focused control.
  void Press(WPARAM key, bool repeat = false) {
    const LPARAM down = repeat ? (1 << 30) | 1 : 1;
    const LPARAM up = (1u << 31) | (1 << 30) | 1;
    for (const auto& [message, flags] : {std::pair{WM_KEYDOWN, down}, std::pair{WM_KEYUP, up}}) {
      MSG msg = {};
      msg.hwnd = GetFocus();
      msg.message = message;
      msg.wParam = key;
      msg.lParam = flags;
      if (!IsDialogMessageW(m_hWnd, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      lktest::PumpMessages();
    }
  }

  CHyperLink link;
  int okCommands = 0;

 protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, kLinkId, link); }
  BOOL OnCommand(WPARAM wParam, LPARAM) override {
    if (LOWORD(wParam) == IDOK) ++okCommands;
    return TRUE;
  }

 private:
  lktest::DialogTemplate template_;
};

// While it lives, the browser registered for ".htm" files (in a scratch registry) appends
// a line to a file each time it is started; the shell cannot open kUnopenableTarget, so a
// link to it starts that browser.
class HtmBrowserRecorder {
 public:
  static constexpr wchar_t kUnopenableTarget[] = L"Z:\\nowhere\\lizenz.htm";

  HtmBrowserRecorder() : file_(folder_ / L"browser_started.txt") {
    RegSetValueW(HKEY_CLASSES_ROOT, L".htm", REG_SZ, L"lktesthtml", 0);
    const std::wstring command = L"C:\\windows\\system32\\cmd.exe /c echo started>>\"" + file_ +
                                 L"\" & rem \"%1\"";
    RegSetValueW(HKEY_CLASSES_ROOT, L"lktesthtml\\shell\\open\\command", REG_SZ,
                 command.c_str(), 0);
  }

  // The browsers started, once there are at least expected or 5 s have passed.
  int Starts(int expected) const {
    int starts = 0;
    for (int wait = 0; wait < 100; ++wait) {
      const std::string lines = lktest::ReadFileBytes(file_);
      starts = static_cast<int>(std::count(lines.begin(), lines.end(), '\n'));
      if (starts >= expected) break;
      Sleep(50);
    }
    return starts;
  }

 private:
  lktest::ScratchRegistry registry_;
  lktest::TempFolder folder_;
  std::wstring file_;
};

// Pixels of the top row of the control's client area that are not the button face.
int MarkedTopRowPixels(HWND control) {
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT client = {};
  GetClientRect(control, &client);
  HDC dc = GetDC(control);
  int marked = 0;
  for (int x = 0; x < client.right; ++x) marked += GetPixel(dc, x, 0) != GetSysColor(COLOR_BTNFACE);
  ReleaseDC(control, dc);
  return marked;
}

RECT ChildRect(HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LOGFONTW FontOf(HWND window) {
  LOGFONTW description = {};
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  GetObjectW(font, sizeof(description), &description);
  return description;
}

// The text extent of window's text in its font with underline, measured independently.
SIZE UnderlinedTextExtent(HWND window) {
  LOGFONTW description = FontOf(window);
  description.lfUnderline = 1;
  HFONT font = CreateFontIndirectW(&description);
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  HDC dc = GetDC(window);
  HGDIOBJ previous = SelectObject(dc, font);
  SIZE extent = {};
  GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
  DeleteObject(font);
  return extent;
}

// Posts a timer tick to the link while the pointer is far away from it, and delivers it.
void TickWithPointerOutside(const CHyperLink& link) {
  SetCursorPos(0, 0);
  PostMessageW(link.m_hWnd, WM_TIMER, link.timerId, 0);
  lktest::PumpMessages();
}

}  // namespace

TEST(HyperLink, FitsItsWindowToTheTextKeepingTheAlignedEdge) {
  struct Case {
    DWORD style;
    const char* name;
  } cases[] = {{SS_LEFT, "left"}, {SS_RIGHT, "right"}, {SS_CENTER, "centre"},
               {SS_CENTER | SS_CENTERIMAGE, "centre, vertically centred"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The same control unattached, for the rectangle the template gives it.
    lktest::DialogTemplate plain(WS_POPUP, 150, 100, 220, 60,
                                 {{kLinkId, L"STATIC", c.style, L"Lumenkast EULA", 10, 10, 200, 20}});
    HWND bare = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), plain.Get(), nullptr,
                                           [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    const RECT before = ChildRect(GetDlgItem(bare, kLinkId));
    DestroyWindow(bare);

    LinkDialog dialog(c.style, L"Lumenkast EULA");
    const RECT after = ChildRect(dialog.link.m_hWnd);
    const SIZE text = UnderlinedTextExtent(dialog.link.m_hWnd);
    ASSERT_LT(text.cx, before.right - before.left);  // the template leaves room to shrink

    EXPECT_EQ(after.right - after.left, text.cx);
    if (c.style & SS_CENTERIMAGE) {
      EXPECT_EQ(after.top - before.top, before.bottom - after.bottom);
    } else {
      EXPECT_EQ(after.top, before.top);
      EXPECT_EQ(after.bottom - after.top, text.cy);
    }
    if (c.style & SS_CENTER) {
      EXPECT_EQ(after.left - before.left, before.right - after.right);
    } else if (c.style & SS_RIGHT) {
      EXPECT_EQ(after.right, before.right);
    } else {
      EXPECT_EQ(after.left, before.left);
    }
  }
}

TEST(HyperLink, TargetAndTextFillEachOther) {
  LinkDialog untargeted(SS_LEFT, L"Lumenkast EULA");
  EXPECT_EQ(untargeted.link.target, L"Lumenkast EULA");

  LinkDialog untitled(SS_LEFT, L"", L"https://example.org/");
  EXPECT_EQ(untitled.link.GetWindowText(), L"https://example.org/");
  EXPECT_EQ(untitled.link.target, L"https://example.org/");

  // Attaching adds the notify style so that clicks arrive, and makes the link a tab stop.
  EXPECT_TRUE(untargeted.link.GetStyle() & SS_NOTIFY);
  EXPECT_TRUE(untargeted.link.GetStyle() & WS_TABSTOP);
  // Setting the target later keeps the text and refits the window.
  untargeted.link.SetLinkUrl(L"https://example.org/licence");
  EXPECT_EQ(untargeted.link.target, L"https://example.org/licence");
  EXPECT_EQ(untargeted.link.GetWindowText(), L"Lumenkast EULA");
}

TEST(HyperLink, UnderlineFollowsThePointerOnlyInHoverMode) {
  LinkDialog dialog(SS_LEFT, L"Lumenkast EULA");
  CHyperLink& link = dialog.link;
  ASSERT_EQ(link.underlineMode, -1);
  EXPECT_EQ(FontOf(link.m_hWnd).lfUnderline, 0);

  SendMessageW(link.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(link.pointerOver, 1);
  EXPECT_EQ(FontOf(link.m_hWnd).lfUnderline, 1);
  TickWithPointerOutside(link);
  EXPECT_EQ(link.pointerOver, 0);
  EXPECT_EQ(FontOf(link.m_hWnd).lfUnderline, 0);

  link.SetUnderlineMode(1);
  EXPECT_EQ(FontOf(link.m_hWnd).lfUnderline, 1);
  SendMessageW(link.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  TickWithPointerOutside(link);
  EXPECT_EQ(link.pointerOver, 0);
  EXPECT_EQ(FontOf(link.m_hWnd).lfUnderline, 1);
}

TEST(HyperLink, ReflectedColourMessagePicksHoverThenVisitedThenLink) {
  LinkDialog dialog(SS_LEFT, L"Lumenkast EULA");
  CHyperLink& link = dialog.link;
  struct Case {
    int pointerOver, visited;
    COLORREF expected;
  } cases[] = {{1, 1, link.hoverColour},
               {1, 0, link.hoverColour},
               {0, 1, link.visitedColour},
               {0, 0, link.linkColour}};
  HDC dc = GetDC(dialog.m_hWnd);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "over " << c.pointerOver << " visited " << c.visited);
    link.pointerOver = c.pointerOver;
    link.visited = c.visited;
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkMode(dc, OPAQUE);
    // What the static control asks its parent while painting; the page hands it over.
    LRESULT brush = SendMessageW(dialog.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(link.m_hWnd));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetTextColor(dc), c.expected);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  }
  ReleaseDC(dialog.m_hWnd, dc);
}

TEST(HyperLink, BrowserCommandReplacesThePlaceholderAndWhatFollows) {
  struct Case {
    const wchar_t* registered;
    const wchar_t* expected;
  } cases[] = {
      {L"\"C:\\Web\\browser.exe\" \"%1\"", L"\"C:\\Web\\browser.exe\"  https://a.example/x"},
      {L"\"C:\\Web\\browser.exe\" \"%1\" -new-window -osint",
       L"\"C:\\Web\\browser.exe\"  https://a.example/x"},
      {L"C:\\Web\\browser.exe %1 -nohome", L"C:\\Web\\browser.exe  https://a.example/x"},
      {L"C:\\Web\\browser.exe -nohome", L"C:\\Web\\browser.exe -nohome https://a.example/x"},
      // The quoted placeholder wins over an earlier bare one.
      {L"b.exe -p%1 \"%1\" -x", L"b.exe -p%1  https://a.example/x"},
  };
  for (const Case& c : cases) {
    wchar_t command[520] = {};
    EXPECT_TRUE(BuildBrowserCommand(c.registered, L"https://a.example/x", command));
    EXPECT_STREQ(command, c.expected);
  }

  wchar_t command[520] = {};
  std::wstring longUrl(515, L'u');
  EXPECT_FALSE(BuildBrowserCommand(L"C:\\b.exe \"%1\"", longUrl.c_str(), command));
  EXPECT_STREQ(command, L"");
}

TEST(HyperLink, ClickFallsBackToTheHtmBrowserAndMarksTheLinkVisited) {
  lktest::ScratchRegistry registry;
  lktest::TempFolder folder;
  const std::wstring marker = folder / L"browser_started.txt";
  // A target the shell cannot open, so that the ".htm" browser is asked.
  LinkDialog dialog(SS_LEFT, L"Lumenkast EULA", L"Z:\\nowhere\\lizenz.htm");
  CHyperLink& link = dialog.link;

  // No ".htm" class: the click only beeps and leaves the link unvisited.
  link.visited = 1;
  SendMessageW(link.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(link.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(link.visited, 0);

  // A registered browser command whose placeholder is followed by switches.
  RegSetValueW(HKEY_CLASSES_ROOT, L".htm", REG_SZ, L"lktesthtml", 0);
  const std::wstring command = L"C:\\windows\\system32\\cmd.exe /c echo %cd%>\"" + marker +
                               L"\" & rem \"%1\" --new-window";
  RegSetValueW(HKEY_CLASSES_ROOT, L"lktesthtml\\shell\\open\\command", REG_SZ, command.c_str(),
               0);
  link.pointerOver = 1;
  SendMessageW(link.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(link.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(link.visited, 1);
  EXPECT_EQ(link.pointerOver, 0);
  for (int wait = 0; wait < 100 && !lktest::FileExists(marker); ++wait) Sleep(50);
  EXPECT_TRUE(lktest::FileExists(marker));
}

TEST(HyperLink, TabGivesTheLinkTheFocusWhichItShowsWithAFocusRectangle) {
  KeyboardDialog dialog(L"https://example.org/");
  HWND ok = GetDlgItem(dialog.m_hWnd, IDOK);
  SetFocus(ok);
  const int unfocused = MarkedTopRowPixels(dialog.link.m_hWnd);

  dialog.Press(VK_TAB);
  ASSERT_EQ(GetFocus(), dialog.link.m_hWnd);
  RECT client = {};
  GetClientRect(dialog.link.m_hWnd, &client);
  // The dotted frame marks every other pixel of the top row.
  EXPECT_GE(MarkedTopRowPixels(dialog.link.m_hWnd), unfocused + client.right / 3);

  dialog.Press(VK_TAB);
  EXPECT_EQ(GetFocus(), ok);
  EXPECT_EQ(MarkedTopRowPixels(dialog.link.m_hWnd), unfocused);
}

TEST(HyperLink, EnterOrSpaceOnTheFocusedLinkOpensItOncePerPressInsteadOfTheDefaultButton) {
  HtmBrowserRecorder browser;
  KeyboardDialog dialog(HtmBrowserRecorder::kUnopenableTarget);
  SetFocus(GetDlgItem(dialog.m_hWnd, IDOK));
  dialog.Press(VK_TAB);
  ASSERT_EQ(GetFocus(), dialog.link.m_hWnd);

  dialog.Press(VK_RETURN);
  EXPECT_EQ(browser.Starts(1), 1);
  EXPECT_EQ(dialog.link.visited, 1);
  // A held key repeats its key-down: the target is not opened again.
  dialog.Press(VK_RETURN, true);
  dialog.Press(VK_SPACE);
  EXPECT_EQ(browser.Starts(2), 2);
  EXPECT_EQ(dialog.okCommands, 0);

  // Elsewhere Enter still presses the dialog's default button.
  dialog.Press(VK_TAB);
  ASSERT_NE(GetFocus(), dialog.link.m_hWnd);
  dialog.Press(VK_RETURN);
  EXPECT_EQ(dialog.okCommands, 1);
  Sleep(1000);  // time for a browser started too many
  EXPECT_EQ(browser.Starts(2), 2);
}
