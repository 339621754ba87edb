// Opening a link target: the shell first, then the browser registered for ".htm".
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "framework/scoped_handles.h"
#include "wizard/hyper_link.h"

namespace {

constexpr size_t kValueLength = 260;

// The default value of HKEY_CLASSES_ROOT\path (at most 259 characters).
bool ReadClassesDefault(const std::wstring& path, wchar_t (&value)[kValueLength]) {
  lk::RegistryKey key;
  if (key.Open(HKEY_CLASSES_ROOT, path.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
  wmemset(value, L'\0', kValueLength);
  LONG bytes = static_cast<LONG>((kValueLength - 1) * sizeof(wchar_t));
  return RegQueryValueW(key.Get(), nullptr, value, &bytes) == ERROR_SUCCESS;
}

}  // namespace

bool BuildBrowserCommand(const wchar_t* registeredCommand, const wchar_t* url,
                         wchar_t (&command)[520]) {
  std::wstring text = registeredCommand;
  size_t placeholder = text.find(L"\"%1\"");
  if (placeholder == std::wstring::npos) placeholder = text.find(L"%1");
  if (placeholder != std::wstring::npos) text.erase(placeholder);
  text += L' ';
  text += url;
  command[0] = L'\0';
  if (text.size() >= 520) return false;
  wcscpy(command, text.c_str());
  return true;
}

INT_PTR CHyperLink::OpenUrl(const wchar_t* url) {
  const INT_PTR shell = reinterpret_cast<INT_PTR>(
      ShellExecuteW(GetDesktopWindow(), L"open", url, nullptr, nullptr, SW_SHOW));
  if (static_cast<UINT_PTR>(shell) > 32) return shell;

  wchar_t fileClass[kValueLength] = {};
  if (!ReadClassesDefault(L".htm", fileClass)) return shell;
  wchar_t browser[kValueLength] = {};
  if (!ReadClassesDefault(std::wstring(fileClass) + L"\\shell\\open\\command", browser)) {
    return shell;
  }

  wchar_t command[520] = {};
  if (!BuildBrowserCommand(browser, url, command)) return shell;
  char narrow[3 * 520] = {};
  WideCharToMultiByte(CP_THREAD_ACP, 0, command, -1, narrow, sizeof(narrow) - 1, nullptr,
                      nullptr);
  return static_cast<INT_PTR>(WinExec(narrow, SW_SHOW));
}
