#include <gtest/gtest.h>

#include <cwchar>

#include "dialog_template_fixture.h"
#include "framework/dialog.h"
#include "wizard/xcolor_static.h"

namespace {

constexpr int kLabelId = 1044;

// A popup dialog whose data exchange binds its one static control to a CXColorStatic.
class LabelDialog : public CDialog {
 public:
  explicit LabelDialog(DWORD staticStyle)
      : CDialog(0),
        template_(WS_POPUP | WS_VISIBLE, 150, 100, 240, 80,
                  {{kLabelId, L"STATIC", staticStyle, L"Installiere ... bitte warten ...", 10, 10,
                    220, 60}}) {
    CreateIndirect(template_.Get(), nullptr);
  }
  ~LabelDialog() override {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
  }

  CXColorStatic label;

 protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, kLabelId, label); }

 private:
  lktest::DialogTemplate template_;
};

LOGFONTW Describe(HFONT font) {
  LOGFONTW description = {};
  GetObjectW(font, sizeof(description), &description);
  return description;
}

// Rows of the label's client area that hold at least one pixel of colour.
struct InkRows {
  int first = -1, last = -1, height = 0;
};

InkRows FindInk(HWND window, COLORREF colour) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT client = {};
  GetClientRect(window, &client);
  InkRows ink;
  ink.height = client.bottom;
  HDC dc = GetDC(window);
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) {
      if (GetPixel(dc, x, y) != colour) continue;
      if (ink.first < 0) ink.first = y;
      ink.last = y;
      break;
    }
  }
  ReleaseDC(window, dc);
  return ink;
}

}  // namespace

TEST(XColorStatic, LabelFontStartsAsACopyOfTheControlFont) {
  LabelDialog dialog(SS_CENTER);
  const LOGFONTW control = Describe(dialog.label.GetFont());
  const LOGFONTW label = Describe(dialog.label.LabelFont());
  ASSERT_NE(dialog.label.LabelFont(), nullptr);
  EXPECT_NE(dialog.label.LabelFont(), dialog.label.GetFont());
  EXPECT_STREQ(label.lfFaceName, control.lfFaceName);
  EXPECT_EQ(label.lfHeight, control.lfHeight);
  EXPECT_EQ(label.lfWeight, control.lfWeight);
}

TEST(XColorStatic, FontWeightFollowsTheBoldFlag) {
  LabelDialog plain(SS_CENTER);
  plain.label.SetLabelFont(18);
  LOGFONTW font = Describe(plain.label.LabelFont());
  EXPECT_STREQ(font.lfFaceName, L"Arial");
  EXPECT_EQ(font.lfHeight, 18);
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  EXPECT_EQ(font.lfQuality, ANTIALIASED_QUALITY);

  LabelDialog bold(SS_CENTER);
  bold.label.SetLabelBold(TRUE);
  bold.label.SetLabelFont(18);
  font = Describe(bold.label.LabelFont());
  EXPECT_STREQ(font.lfFaceName, L"Arial");
  EXPECT_EQ(font.lfHeight, 18);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
}

TEST(XColorStatic, SetLabelBoldStartsFromTheWindowFontNotTheLabelFont) {
  LabelDialog dialog(SS_CENTER);
  const LOGFONTW control = Describe(dialog.label.GetFont());
  dialog.label.SetLabelFont(18);
  dialog.label.SetLabelBold(FALSE);
  const LOGFONTW font = Describe(dialog.label.LabelFont());
  EXPECT_STREQ(font.lfFaceName, control.lfFaceName);
  EXPECT_EQ(font.lfHeight, control.lfHeight);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
}

TEST(XColorStatic, PaintsInItsColoursCentredOrFromTheTop) {
  const COLORREF red = RGB(255, 0, 0);
  LabelDialog centred(SS_CENTER | SS_CENTERIMAGE);
  centred.label.textColour = red;
  centred.label.SetLabelBold(TRUE);
  centred.label.SetLabelFont(18);
  InkRows ink = FindInk(centred.label.m_hWnd, red);
  ASSERT_GE(ink.first, 0) << "no text in the text colour";
  // One line in the vertical middle.
  EXPECT_LE(std::abs(ink.first - (ink.height - 1 - ink.last)), 4);
  EXPECT_LT(ink.last - ink.first, 24);

  LabelDialog wrapped(SS_CENTER);
  wrapped.label.textColour = red;
  wrapped.label.SetLabelFont(18);
  ink = FindInk(wrapped.label.m_hWnd, red);
  ASSERT_GE(ink.first, 0);
  EXPECT_LT(ink.first, 6);  // drawn from the top

  // The background is the button face.
  HDC dc = GetDC(wrapped.label.m_hWnd);
  RECT client = {};
  GetClientRect(wrapped.label.m_hWnd, &client);
  EXPECT_EQ(GetPixel(dc, 1, client.bottom - 2), GetSysColor(COLOR_BTNFACE));
  ReleaseDC(wrapped.label.m_hWnd, dc);
}
