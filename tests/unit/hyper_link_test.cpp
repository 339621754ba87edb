#include <gtest/gtest.h>

#include <cwchar>
#include <string>

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

  // Attaching adds the notify style so that clicks arrive.
  EXPECT_TRUE(untargeted.link.GetStyle() & SS_NOTIFY);
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
