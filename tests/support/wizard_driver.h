// Drives the setup's wizard from another process, as a user at the screen would: starts
// the setup without arguments, finds its sheet and message boxes, reads and clicks their
// controls, and takes pictures of windows from the screen.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/scoped_handles.h"
#include "support/dialog_driver.h"
#include "support/installation_state.h"
#include "support/test_support.h"

namespace lktest {

// Command ids of the sheet's buttons.
constexpr int kBackButton = 12323;
constexpr int kNextButton = 12324;
constexpr int kCancelButton = IDCANCEL;

// Positions of the wizard's pages.
constexpr int kOptionsPage = 0;
constexpr int kWhatsNewPage = 1;
constexpr int kAssociationPage = 2;
constexpr int kReadyPage = 3;
constexpr int kFinishPage = 4;

// Text of a window of any process (WM_GETTEXT, bounded in time).
std::wstring WindowText(HWND window);
// Texts of every child window (controls with and without id), in creation order.
std::vector<std::wstring> ChildTexts(HWND parent);
// Success when one child of parent shows exactly text.
::testing::AssertionResult ShowsText(HWND parent, const std::wstring& text);
// Check state of a check box or radio button.
bool IsChecked(HWND button);

// Rows and check boxes of a list view of any process.
int ListItemCount(HWND list);
bool ListItemChecked(HWND list, int item);
std::vector<int> CheckedListItems(HWND list);

// What a message box shows.
struct MessageBoxView {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
  bool hasYes = false;
  bool hasNo = false;
  bool hasOk = false;
  int defaultButton = 0;  // command id of the button with BS_DEFPUSHBUTTON, 0 if none
};
MessageBoxView ReadMessageBox(HWND box);

// Checks a message box of the setup (box null fails): its caption, its text, and its
// buttons. A question offers Yes and No, No the default; a notice offers OK and no Yes.
void ExpectQuestion(HWND box, const std::wstring& text);
void ExpectNotice(HWND box, const std::wstring& text);

// The font description of the wizard pages' own font ("Microsoft Sans Serif", 8 points,
// weight 400), as the dialog manager makes it for this screen.
LOGFONTW PageFontDescription();

// A picture of a screen rectangle, as shown (windows on top included).
class ScreenCapture {
 public:
  static ScreenCapture OfWindow(HWND window);
  static ScreenCapture OfScreenRect(const RECT& rect);
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF Pixel(int x, int y) const;
  // 24-bit bottom-up BMP file.
  bool SaveBmp(const std::wstring& path) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<DWORD> pixels_;  // top-down rows, 0x00RRGGBB
};

// One run of the setup program in wizard mode.
class WizardProcess {
 public:
  WizardProcess() = default;
  ~WizardProcess();  // ends the process if it still runs
  WizardProcess(const WizardProcess&) = delete;
  WizardProcess& operator=(const WizardProcess&) = delete;

  // Starts the setup without arguments in directory and waits until its sheet is shown.
  bool Start(const std::wstring& directory, DWORD timeoutMs = 20000);
  bool Running() const;
  // True when the process has ended within timeoutMs.
  bool WaitForExit(DWORD timeoutMs);
  void Terminate();

  HWND Sheet() const { return sheet_; }
  // Position of the page shown, -1 if none.
  int ActivePage() const;
  HWND ActivePageWindow() const;
  // The window of the page at position (null before the page was first shown).
  HWND PageWindow(int position) const;
  bool WaitForPage(int position, DWORD timeoutMs = 15000) const;
  // A control of the page shown; a button of the sheet.
  HWND Control(int id) const;
  HWND SheetButton(int id) const;

  // Clicks a sheet button the way a user does: false (and no click) when the user could
  // not, because it is hidden or disabled.
  bool Press(int buttonId);
  // Clicks a button (push, check box, radio) of the page shown; false when not usable.
  bool Click(int controlId);
  // Clicks a static control (mouse down and up at its left top corner).
  void ClickStatic(HWND control);
  // Replaces the text of an edit control of the page shown by typing it.
  bool Type(int controlId, const std::wstring& text);
  // The title bar's close box (Alt+F4).
  void PressCloseBox();

  // A message box of this process (any box but the sheet), waited for.
  HWND WaitForMessageBox(DWORD timeoutMs = 15000) const;
  bool HasMessageBox() const;
  // Presses IDYES, IDNO or IDOK of a box and waits until it has gone.
  bool Answer(HWND box, int buttonId);

  // List view rows across the process boundary.
  std::wstring ListItemText(HWND list, int item, int subItem);
  bool SetListItemChecked(HWND list, int item, bool checked);

  // Until the sheet's thread has handled what was sent or posted before.
  void Sync() const;

 private:
  HWND FindSheet() const;
  HWND FindMessageBox() const;

  lk::ScopedFileHandle process_;
  lk::ScopedFileHandle thread_;
  DWORD processId_ = 0;
  HWND sheet_ = nullptr;
};

// While it lives, the shell opens https addresses with a recorder that appends each one as
// a line to a file in folder (created if need be): the pages a web link would show.
class WebPageRecorder {
 public:
  explicit WebPageRecorder(const std::wstring& folder);
  // The lines recorded, once there are any or timeoutMs has passed.
  std::string WaitForPages(DWORD timeoutMs) const;

 private:
  std::wstring file_;
  ScopedRegString handler_;
};

// The release notes resource of the setup executable, as stored (byte-order mark included).
std::wstring SetupReleaseNotes();

// Base of the tests that drive the wizard. Before and after each test the prefix is cleared
// of what an installation leaves (viewer windows, registration, shortcuts, the target and
// settings folders); the setup runs in a scratch current directory and is always ended.
class WizardTest : public ::testing::Test {
 protected:
  static const wchar_t kTargetRoot[];  // C:\WizTest
  static const wchar_t kTarget[];      // C:\WizTest\Lumenkast

  void SetUp() override;
  void TearDown() override;

  // Starts the wizard; fails the test unless the options page is shown.
  void StartWizard();
  // On the options page: types the folder into the folder field.
  void TypeFolder(const std::wstring& folder);
  // Presses Next until the page at position is shown (no message box expected).
  void NextUntil(int position);
  // Presses Back until the page at position is shown.
  void BackUntil(int position);
  // The settings folder the ready page proposes, expanded.
  static std::wstring AppDataSettingsFolder();
  static void RemoveTraces();

  TempFolder directory_;
  WizardProcess wizard_;
};

// The screen's dots per inch for the processes started while the object lives: the value
// "LogPixels" of HKEY_CURRENT_USER\Control Panel\Desktop, which Wine reads when a process
// starts (96 is 100 %, 192 is 200 %). What was there before is put back afterwards.
class ScopedDisplayDpi {
 public:
  explicit ScopedDisplayDpi(DWORD dpi);
  ~ScopedDisplayDpi();
  ScopedDisplayDpi(const ScopedDisplayDpi&) = delete;
  ScopedDisplayDpi& operator=(const ScopedDisplayDpi&) = delete;

 private:
  bool hadValue_ = false;
  DWORD old_ = 0;
};

// The control of the wizard that has the keyboard focus; null when none has.
HWND FocusedControl(const WizardProcess& wizard);
// Presses key where the wizard's keyboard focus is (key down and key up posted, so that
// they pass the sheet's dialog manager as typed keys do); false when nothing has the focus.
// The key is handled after this returns.
bool PressKey(const WizardProcess& wizard, WORD key);

}  // namespace lktest
