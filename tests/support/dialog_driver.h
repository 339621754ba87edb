// Finds and works the dialogs of another process (the wizard's sheet, the uninstaller's
// window, their message boxes) the way a user at the screen does: only what is shown and
// enabled can be clicked, and nothing waits for the other process without a limit.
#pragma once

#include <windows.h>

namespace lktest {

// Id of the text control in the system's message boxes.
constexpr int kMessageBoxTextId = 0xFFFF;

// Visible and enabled, as a user sees a control.
bool IsUsable(HWND window);

// A dialog window (class #32770) of the process that has a control childId, other than
// exclude; with visibleOnly, hidden dialogs are passed over. Null when there is none.
HWND FindDialog(DWORD processId, int childId, HWND exclude = nullptr, bool visibleOnly = true);
// FindDialog asked until it finds one or timeoutMs have passed.
HWND WaitForDialog(DWORD processId, int childId, HWND exclude, DWORD timeoutMs,
                   bool visibleOnly = true);
// A message box of the process (a shown dialog with a message text) other than exclude,
// waited for up to timeoutMs.
HWND WaitForMessageBox(DWORD processId, HWND exclude, DWORD timeoutMs);

// Clicks a button the way a user does: false (and no click) when it is hidden or disabled.
// Posted, so that a click whose work opens a message box or ends a modal loop is not
// waited for.
bool PostClick(HWND button);
// Presses IDYES, IDNO or IDOK of a message box and waits until it has gone.
bool AnswerMessageBox(HWND box, int buttonId);

}  // namespace lktest
