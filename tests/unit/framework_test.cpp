#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include <string>
#include <vector>

#include "dialog_template_fixture.h"
#include "framework/common_controls.h"
#include "framework/dialog.h"
#include "framework/property_sheet.h"
#include "framework/static_control.h"

namespace {

std::vector<std::string> g_events;

// A static control that records what its parent reflects to it.
class RecordingStatic : public CStatic {
 public:
  LRESULT answer = TRUE;  // what it answers to a reflected command

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_REFLECT_BASE + WM_COMMAND) {
      g_events.push_back("static: command " + std::to_string(HIWORD(wParam)));
      return answer;
    }
    if (message == WM_REFLECT_BASE + WM_CTLCOLORSTATIC) {
      g_events.push_back("static: colour");
      return reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH));
    }
    return CStatic::WindowProc(message, wParam, lParam);
  }
};

class ReflectingDialog : public CDialog {
 public:
  ReflectingDialog()
      : CDialog(0),
        template_(WS_POPUP | WS_VISIBLE, 100, 100, 160, 60,
                  {{1, L"STATIC", SS_NOTIFY, L"label", 5, 5, 60, 12},
                   {2, L"BUTTON", BS_PUSHBUTTON, L"button", 5, 25, 60, 14},
                   {3, L"STATIC", SS_NOTIFY, L"plain", 80, 5, 60, 12}}) {
    CreateIndirect(template_.Get(), nullptr);
  }
  ~ReflectingDialog() override {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
  }
  RecordingStatic label;

 protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 1, label); }
  BOOL OnCommand(WPARAM wParam, LPARAM) override {
    g_events.push_back("dialog: command " + std::to_string(LOWORD(wParam)));
    return TRUE;
  }

 private:
  lktest::DialogTemplate template_;
};

void Click(HWND control) {
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

}  // namespace

TEST(Framework, ParentReflectsNotificationsToTheFrameworkControl) {
  g_events.clear();
  ReflectingDialog dialog;
  ASSERT_NE(dialog.label.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(dialog.label.m_hWnd), &dialog.label);
  EXPECT_EQ(CWnd::FromHandlePermanent(dialog.GetDlgItem(3)), nullptr);

  Click(dialog.label.m_hWnd);                            // handled by the control
  SendMessageW(dialog.GetDlgItem(2), BM_CLICK, 0, 0);    // not a framework control
  Click(dialog.GetDlgItem(3));                           // not a framework control
  dialog.label.answer = FALSE;
  Click(dialog.label.m_hWnd);                            // the control declines
  EXPECT_EQ(g_events, (std::vector<std::string>{"static: command 0", "dialog: command 2",
                                                "dialog: command 3", "static: command 0",
                                                "dialog: command 1"}));

  g_events.clear();
  HDC dc = GetDC(dialog.m_hWnd);
  LRESULT brush = SendMessageW(dialog.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(dialog.label.m_hWnd));
  ReleaseDC(dialog.m_hWnd, dc);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(GRAY_BRUSH));
  EXPECT_EQ(g_events, std::vector<std::string>{"static: colour"});

  // The control lets go of its window when the window goes.
  HWND window = dialog.label.m_hWnd;
  ::DestroyWindow(dialog.m_hWnd);
  EXPECT_EQ(dialog.label.m_hWnd, nullptr);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
}

namespace {

constexpr int kBackButton = 0x3023;
constexpr int kNextButton = 0x3024;

// Clicks a button of the sheet the way a user would, once the current message is done.
void PostClick(HWND sheet, int button) {
  PostMessageW(GetDlgItem(sheet, button), BM_CLICK, 0, 0);
}

// A wizard page from an in-memory template that logs its notifications and drives the
// sheet on by clicking the next button of a script.
class ScriptedPage : public CPropertyPage {
 public:
  ScriptedPage(UINT id, int index)
      : CPropertyPage(id),
        index_(index),
        template_(WS_CHILD | WS_CAPTION, 0, 0, 200, 100,
                  {{100, L"STATIC", SS_LEFT, L"page", 5, 5, 60, 12}}) {
    m_psp.dwFlags |= PSP_DLGINDIRECT;
    m_psp.pResource = template_.Get();
  }

  std::vector<int> clickOnActivation;  // button clicked on the 1st, 2nd... activation
  std::vector<LRESULT> nextResults;    // answers to the 1st, 2nd... Next

  BOOL OnSetActive() override {
    Log("active");
    if (activations_ < clickOnActivation.size()) {
      PostClick(GetParent(), clickOnActivation[activations_]);
    }
    ++activations_;
    return CPropertyPage::OnSetActive();
  }
  BOOL OnKillActive() override {
    Log("kill");
    return CPropertyPage::OnKillActive();
  }
  LRESULT OnWizardBack() override {
    Log("back");
    return 0;
  }
  LRESULT OnWizardNext() override {
    Log("next");
    LRESULT result = nexts_ < nextResults.size() ? nextResults[nexts_] : 0;
    ++nexts_;
    if (result == -1) PostClick(GetParent(), kNextButton);  // stayed: try again
    return result;
  }
  BOOL OnQueryCancel() override {
    Log("query cancel");
    return TRUE;
  }
  void OnReset() override { Log("reset"); }

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    Log(dx->m_bSaveAndValidate ? "save" : "load");
  }

 private:
  void Log(const char* what) { g_events.push_back(std::to_string(index_) + " " + what); }
  int index_;
  size_t activations_ = 0;
  size_t nexts_ = 0;
  lktest::DialogTemplate template_;
};

class RecordingSheet : public CPropertySheet {
 public:
  RecordingSheet() : CPropertySheet(L"Sheet") { SetWizardMode(); }
  int activeAtCancel = -2;

 protected:
  BOOL OnInitDialog() override {
    g_events.push_back("sheet init");
    return CPropertySheet::OnInitDialog();
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (LOWORD(wParam) == IDCANCEL) {
      g_events.push_back("sheet cancel");
      activeAtCancel = GetActiveIndex();
    }
    return CPropertySheet::OnCommand(wParam, lParam);
  }
};

RecordingSheet* g_runningSheet = nullptr;

// Cancels the sheet if a script stalls, so that a failing test does not hang.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  g_events.push_back("watchdog");
  if (g_runningSheet && g_runningSheet->m_hWnd) PostClick(g_runningSheet->m_hWnd, IDCANCEL);
}

}  // namespace

TEST(Framework, WizardSheetRoutesPageNotificationsAndButtonResults) {
  // Loaded by whoever shows a sheet, as the wizard does; nothing else loads it here.
  const lk::CommonControls commonControls;
  ASSERT_TRUE(commonControls);
  g_events.clear();
  RecordingSheet sheet;
  ScriptedPage first(201, 0), second(202, 1);
  first.nextResults = {-1, 0};  // stay once, then on to the next page
  first.clickOnActivation = {kNextButton, IDCANCEL};
  second.clickOnActivation = {kBackButton};
  sheet.AddPage(&first);
  sheet.AddPage(&second);

  g_runningSheet = &sheet;
  UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, Watchdog);
  sheet.DoModal();
  KillTimer(nullptr, watchdog);
  g_runningSheet = nullptr;

  EXPECT_EQ(sheet.m_hWnd, nullptr);
  EXPECT_EQ(sheet.activeAtCancel, 0);
  // Data is loaded when a page is created and on every later activation, and saved
  // when the page is left; -1 from Next keeps the page.
  EXPECT_EQ(g_events, (std::vector<std::string>{
                          "sheet init", "0 load", "0 active", "0 next", "0 next", "0 kill",
                          "0 save", "1 load", "1 active", "1 back", "1 kill", "1 save",
                          "0 active", "0 load", "sheet cancel", "0 query cancel", "0 reset", "1 reset"}));
}
