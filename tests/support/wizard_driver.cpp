#include "support/wizard_driver.h"

#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>

#include "res/resource.h"
#include "support/expected_texts.h"

namespace lktest {

namespace {

// Upper bound of one message sent to the setup's thread. The thread is busy (and does not
// answer) while the installation runs, so nothing here waits for it without a limit.
constexpr UINT kSendTimeoutMs = 2000;

bool Send(HWND window, UINT message, WPARAM wp, LPARAM lp, LRESULT* result = nullptr,
          UINT timeoutMs = kSendTimeoutMs) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, message, wp, lp, SMTO_NORMAL, timeoutMs, &answer)) {
    return false;
  }
  if (result) *result = static_cast<LRESULT>(answer);
  return true;
}

// The screen's device context, released with the object.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A block of memory in another process, released with the object.
class RemoteMemory {
 public:
  RemoteMemory(HANDLE process, size_t size)
      : process_(process),
        address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
  }
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  void* Address() const { return address_; }
  char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(size_t offset, const void* data, size_t size) const {
    return WriteProcessMemory(process_, At(offset), data, size, nullptr) != 0;
  }
  bool Read(size_t offset, void* data, size_t size) const {
    return ReadProcessMemory(process_, At(offset), data, size, nullptr) != 0;
  }

 private:
  HANDLE process_;
  void* address_;
};

}  // namespace

std::wstring WindowText(HWND window) {
  wchar_t text[4096] = {};
  if (!Send(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text))) return L"";
  return text;
}

std::vector<std::wstring> ChildTexts(HWND parent) {
  std::vector<std::wstring> texts;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    texts.push_back(WindowText(child));
  }
  return texts;
}

::testing::AssertionResult ShowsText(HWND parent, const std::wstring& text) {
  const std::vector<std::wstring> texts = ChildTexts(parent);
  for (const std::wstring& t : texts) {
    if (t == text) return ::testing::AssertionSuccess();
  }
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << "no control shows \"" << Narrow(text) << "\"; the texts are:";
  for (const std::wstring& t : texts) failure << "\n  \"" << Narrow(t) << "\"";
  return failure;
}

bool IsChecked(HWND button) {
  LRESULT state = 0;
  return Send(button, BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

int ListItemCount(HWND list) {
  LRESULT count = -1;
  Send(list, LVM_GETITEMCOUNT, 0, 0, &count);
  return static_cast<int>(count);
}

bool ListItemChecked(HWND list, int item) {
  LRESULT state = 0;
  Send(list, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK, &state);
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

std::vector<int> CheckedListItems(HWND list) {
  std::vector<int> checked;
  const int count = ListItemCount(list);
  for (int i = 0; i < count; ++i) {
    if (ListItemChecked(list, i)) checked.push_back(i);
  }
  return checked;
}

MessageBoxView ReadMessageBox(HWND box) {
  MessageBoxView view;
  view.window = box;
  view.caption = WindowText(box);
  view.text = WindowText(GetDlgItem(box, kMessageBoxTextId));
  view.hasYes = IsUsable(GetDlgItem(box, IDYES));
  view.hasNo = IsUsable(GetDlgItem(box, IDNO));
  view.hasOk = IsUsable(GetDlgItem(box, IDOK));
  for (int id : {IDOK, IDYES, IDNO}) {
    HWND button = GetDlgItem(box, id);
    if (button && (GetWindowLongW(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) {
      view.defaultButton = id;
    }
  }
  return view;
}

void ExpectQuestion(HWND box, const std::wstring& text) {
  ASSERT_NE(nullptr, box);
  const MessageBoxView view = ReadMessageBox(box);
  EXPECT_EQ(kBoxCaption, view.caption);
  EXPECT_EQ(text, view.text);
  EXPECT_TRUE(view.hasYes);
  EXPECT_TRUE(view.hasNo);
  EXPECT_EQ(IDNO, view.defaultButton);
}

void ExpectNotice(HWND box, const std::wstring& text) {
  ASSERT_NE(nullptr, box);
  const MessageBoxView view = ReadMessageBox(box);
  EXPECT_EQ(kBoxCaption, view.caption);
  EXPECT_EQ(text, view.text);
  EXPECT_TRUE(view.hasOk);
  EXPECT_FALSE(view.hasYes);
}

ScreenCapture ScreenCapture::OfWindow(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return OfScreenRect(rect);
}

ScreenCapture ScreenCapture::OfScreenRect(const RECT& rect) {
  ScreenCapture capture;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return capture;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ScreenDc screen;
  lk::ScopedCreatedDc memory(CreateCompatibleDC(screen.Get()));
  void* bits = nullptr;
  lk::ScopedGdiObject bitmap(
      CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory || !bitmap || !bits) return capture;
  HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
  BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
  GdiFlush();
  capture.width_ = width;
  capture.height_ = height;
  capture.pixels_.assign(static_cast<const DWORD*>(bits),
                         static_cast<const DWORD*>(bits) + width * height);
  SelectObject(memory.Get(), old);
  return capture;
}

COLORREF ScreenCapture::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const DWORD p = pixels_[static_cast<size_t>(y) * width_ + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

bool ScreenCapture::SaveBmp(const std::wstring& path) const {
  if (width_ == 0) return false;
  const int rowBytes = (width_ * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(header);
  header.biWidth = width_;
  header.biHeight = height_;  // bottom-up
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = rowBytes * height_;
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + header.biSizeImage;

  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
  std::string row(rowBytes, '\0');
  for (int y = height_ - 1; y >= 0; --y) {
    for (int x = 0; x < width_; ++x) {
      const DWORD p = pixels_[static_cast<size_t>(y) * width_ + x];
      row[x * 3] = static_cast<char>(p & 0xFF);
      row[x * 3 + 1] = static_cast<char>((p >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<char>((p >> 16) & 0xFF);
    }
    bytes += row;
  }
  return WriteFileBytes(path, bytes);
}

LOGFONTW PageFontDescription() {
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(8, GetDeviceCaps(ScreenDc().Get(), LOGPIXELSY), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  wcscpy(font.lfFaceName, L"Microsoft Sans Serif");
  return font;
}

WizardProcess::~WizardProcess() { Terminate(); }

bool WizardProcess::Start(const std::wstring& directory, DWORD timeoutMs) {
  Terminate();
  PROCESS_INFORMATION process = {};
  if (!StartProcess(L"\"" + std::wstring(LK_SETUP_EXE) + L"\"", directory, 0, &process)) {
    return false;
  }
  process_.Reset(process.hProcess);
  thread_.Reset(process.hThread);
  processId_ = process.dwProcessId;
  return WaitUntil(timeoutMs, [this] {
    sheet_ = FindSheet();
    return sheet_ != nullptr;
  });
}

bool WizardProcess::Running() const {
  return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

bool WizardProcess::WaitForExit(DWORD timeoutMs) {
  return !process_ || WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

void WizardProcess::Terminate() {
  if (Running()) {
    TerminateProcess(process_.Get(), 99);
    WaitForSingleObject(process_.Get(), 5000);
  }
  process_.Reset();
  thread_.Reset();
  processId_ = 0;
  sheet_ = nullptr;
}

HWND WizardProcess::FindSheet() const {
  // The dialog with the wizard's Next button. It is still hidden, and its title not yet the
  // page caption, while its first page is activated (which may show a message box).
  return FindDialog(processId_, kNextButton, nullptr, false);
}

int WizardProcess::ActivePage() const {
  HWND page = ActivePageWindow();
  LRESULT index = -1;
  if (!page || !Send(sheet_, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0, &index)) {
    return -1;
  }
  return static_cast<int>(index);
}

HWND WizardProcess::ActivePageWindow() const {
  LRESULT page = 0;
  if (!sheet_ || !Send(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0, &page, 200)) return nullptr;
  return reinterpret_cast<HWND>(page);
}

HWND WizardProcess::PageWindow(int position) const {
  LRESULT page = 0;
  if (!sheet_ || !Send(sheet_, PSM_INDEXTOHWND, position, 0, &page)) return nullptr;
  return reinterpret_cast<HWND>(page);
}

bool WizardProcess::WaitForPage(int position, DWORD timeoutMs) const {
  return WaitUntil(timeoutMs, [&] { return ActivePage() == position; });
}

HWND WizardProcess::Control(int id) const { return GetDlgItem(ActivePageWindow(), id); }

HWND WizardProcess::SheetButton(int id) const { return GetDlgItem(sheet_, id); }

bool WizardProcess::Press(int buttonId) {
  // Posted: the sheet's modal loop wakes up for it, also when the click ends the sheet.
  return PostClick(SheetButton(buttonId));
}

bool WizardProcess::Click(int controlId) {
  HWND control = Control(controlId);
  if (!IsUsable(control)) return false;
  // The click's handler may open a message box, so its end is not waited for.
  Send(control, BM_CLICK, 0, 0, nullptr, 1000);
  return true;
}

void WizardProcess::ClickStatic(HWND control) {
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
}

bool WizardProcess::Type(int controlId, const std::wstring& text) {
  HWND edit = Control(controlId);
  if (!IsUsable(edit)) return false;
  if (!Send(edit, EM_SETSEL, 0, -1)) return false;
  if (text.empty()) return Send(edit, WM_CHAR, VK_BACK, 0);
  for (wchar_t c : text) {
    if (!Send(edit, WM_CHAR, c, 1)) return false;
  }
  return true;
}

void WizardProcess::PressCloseBox() { PostMessageW(sheet_, WM_SYSCOMMAND, SC_CLOSE, 0); }

HWND WizardProcess::FindMessageBox() const {
  return FindDialog(processId_, kMessageBoxTextId, sheet_);
}

HWND WizardProcess::WaitForMessageBox(DWORD timeoutMs) const {
  return lktest::WaitForMessageBox(processId_, sheet_, timeoutMs);
}

bool WizardProcess::HasMessageBox() const { return FindMessageBox() != nullptr; }

bool WizardProcess::Answer(HWND box, int buttonId) { return AnswerMessageBox(box, buttonId); }

std::wstring WizardProcess::ListItemText(HWND list, int item, int subItem) {
  constexpr int kChars = 260;
  RemoteMemory memory(process_.Get(), sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  if (!memory.Address()) return L"";
  LVITEMW lvItem = {};
  lvItem.iSubItem = subItem;
  lvItem.pszText = reinterpret_cast<wchar_t*>(memory.At(sizeof(LVITEMW)));
  lvItem.cchTextMax = kChars;
  if (!memory.Write(0, &lvItem, sizeof(lvItem))) return L"";
  LRESULT length = 0;
  if (!Send(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(memory.Address()), &length)) {
    return L"";
  }
  wchar_t text[kChars] = {};
  memory.Read(sizeof(LVITEMW), text, sizeof(text) - sizeof(wchar_t));
  return std::wstring(text, static_cast<size_t>(length > 0 ? length : 0));
}

bool WizardProcess::SetListItemChecked(HWND list, int item, bool checked) {
  RemoteMemory memory(process_.Get(), sizeof(LVITEMW));
  if (!memory.Address()) return false;
  LVITEMW lvItem = {};
  lvItem.stateMask = LVIS_STATEIMAGEMASK;
  lvItem.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  if (!memory.Write(0, &lvItem, sizeof(lvItem))) return false;
  LRESULT ok = 0;
  return Send(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(memory.Address()), &ok) && ok;
}

void WizardProcess::Sync() const { Send(sheet_, WM_NULL, 0, 0); }

WebPageRecorder::WebPageRecorder(const std::wstring& folder)
    : file_(folder + L"\\shell-open.txt"),
      handler_(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\https\\shell\\open\\command", nullptr,
               L"C:\\windows\\system32\\cmd.exe /c echo %1>>" + file_) {
  CreateDirectoryW(folder.c_str(), nullptr);
}

std::string WebPageRecorder::WaitForPages(DWORD timeoutMs) const {
  WaitUntil(timeoutMs, [this] { return !ReadFileBytes(file_).empty(); });
  return ReadFileBytes(file_);
}

std::wstring SetupReleaseNotes() {
  std::wstring notes;
  lk::ScopedModule setup(LoadLibraryExW(LK_SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!setup) return notes;
  HRSRC resource = FindResourceW(setup.Get(), MAKEINTRESOURCEW(IDR_RELEASE_NOTES), L"TXT");
  HGLOBAL loaded = resource ? LoadResource(setup.Get(), resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data) {
    notes.assign(static_cast<const wchar_t*>(data),
                 SizeofResource(setup.Get(), resource) / sizeof(wchar_t));
  }
  return notes;
}

const wchar_t WizardTest::kTargetRoot[] = L"C:\\WizTest";
const wchar_t WizardTest::kTarget[] = L"C:\\WizTest\\Lumenkast";

void WizardTest::SetUp() { RemoveTraces(); }

void WizardTest::TearDown() {
  wizard_.Terminate();
  RemoveTraces();
}

void WizardTest::StartWizard() {
  ASSERT_TRUE(wizard_.Start(directory_.Path())) << "no wizard sheet appeared";
  ASSERT_TRUE(wizard_.WaitForPage(kOptionsPage));
}

void WizardTest::TypeFolder(const std::wstring& folder) {
  ASSERT_EQ(kOptionsPage, wizard_.ActivePage());
  ASSERT_TRUE(wizard_.Type(IDC_FOLDER_EDIT, folder));
  ASSERT_EQ(folder, WindowText(wizard_.Control(IDC_FOLDER_EDIT)));
}

void WizardTest::NextUntil(int position) {
  while (wizard_.ActivePage() < position) {
    const int from = wizard_.ActivePage();
    ASSERT_NE(-1, from);
    ASSERT_TRUE(wizard_.Press(kNextButton)) << "Next not usable on page " << from;
    ASSERT_TRUE(wizard_.WaitForPage(from + 1)) << "Next did not leave page " << from;
  }
  ASSERT_EQ(position, wizard_.ActivePage());
}

void WizardTest::BackUntil(int position) {
  while (wizard_.ActivePage() > position) {
    const int from = wizard_.ActivePage();
    ASSERT_TRUE(wizard_.Press(kBackButton)) << "Back not usable on page " << from;
    ASSERT_TRUE(wizard_.WaitForPage(from - 1)) << "Back did not leave page " << from;
  }
  ASSERT_EQ(position, wizard_.ActivePage());
}

std::wstring WizardTest::AppDataSettingsFolder() {
  return SpecialFolder(CSIDL_APPDATA) + L"Lumenkast\\";
}

void WizardTest::RemoveTraces() {
  CloseViewerWindows();
  RemoveRegistration();
  RemoveShortcuts();
  RemoveTree(kTargetRoot);
  RemoveTree(AppDataSettingsFolder());
}

namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kDpiValue[] = L"LogPixels";

}  // namespace

ScopedDisplayDpi::ScopedDisplayDpi(DWORD dpi) {
  DWORD size = sizeof(old_);
  hadValue_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kDpiValue, RRF_RT_REG_DWORD, nullptr,
                           &old_, &size) == ERROR_SUCCESS;
  EXPECT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kDpiValue, REG_DWORD,
                                           &dpi, sizeof(dpi)));
}

ScopedDisplayDpi::~ScopedDisplayDpi() {
  if (hadValue_) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kDpiValue, REG_DWORD, &old_, sizeof(old_));
  } else {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kDpiValue);
  }
}

HWND FocusedControl(const WizardProcess& wizard) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  const DWORD thread = GetWindowThreadProcessId(wizard.Sheet(), nullptr);
  if (!thread || !GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndFocus;
}

bool PressKey(const WizardProcess& wizard, WORD key) {
  HWND focus = FocusedControl(wizard);
  if (!focus) return false;
  constexpr LPARAM kDown = 1;                               // one press
  constexpr LPARAM kUp = 1 | (1 << 30) | (LPARAM{1} << 31);  // was down, goes up
  return PostMessageW(focus, WM_KEYDOWN, key, kDown) && PostMessageW(focus, WM_KEYUP, key, kUp);
}

}  // namespace lktest
