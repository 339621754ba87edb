// Opening a web address with the browser registered for ".htm" files.
#include "wizard/browser_command.h"

#include <cwchar>
#include <string>

#include "framework/registry.h"
#include "integration/registry_names.h"

namespace {

constexpr size_t kValueLength = 260;

// The default value of HKEY_CLASSES_ROOT\path (at most 259 characters).
bool ReadClassesDefault(const std::wstring& path, wchar_t (&value)[kValueLength]) {
  return lk::ReadRegistryString(HKEY_CLASSES_ROOT, path.c_str(), nullptr, value, kValueLength);
}

}  // namespace

bool BuildBrowserCommand(const wchar_t* registeredCommand, const wchar_t* url,
                         wchar_t (&command)[kBrowserCommandLength]) {
  std::wstring text = registeredCommand;
  size_t placeholder = text.find(L"\"%1\"");
  if (placeholder == std::wstring::npos) placeholder = text.find(L"%1");
  if (placeholder != std::wstring::npos) text.erase(placeholder);
  text += L' ';
  text += url;
  command[0] = L'\0';
  if (text.size() >= kBrowserCommandLength) return false;
  wcscpy(command, text.c_str());
  return true;
}

INT_PTR OpenWithRegisteredBrowser(const wchar_t* url, INT_PTR failure) {
  wchar_t fileClass[kValueLength] = {};
  if (!ReadClassesDefault(L".htm", fileClass)) return failure;
  wchar_t browser[kValueLength] = {};
  if (!ReadClassesDefault(std::wstring(fileClass) + lk::kOpenCommandSubkey, browser)) {
    return failure;
  }

  wchar_t command[kBrowserCommandLength] = {};
  if (!BuildBrowserCommand(browser, url, command)) return failure;
  char narrow[3 * kBrowserCommandLength] = {};
  WideCharToMultiByte(CP_THREAD_ACP, 0, command, -1, narrow, sizeof(narrow) - 1, nullptr,
                      nullptr);
  return static_cast<INT_PTR>(WinExec(narrow, SW_SHOW));
}
