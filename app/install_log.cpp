#include "app/install_log.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/file_links.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"

namespace {

constexpr wchar_t kLogFileName[] = L"Lumenkast_Install.log";
constexpr char kSeparator[] = "------------------------------------------------\r\n";
constexpr DWORD kFolderUnits = 1024;

// One byte per character (ISO 8859-1); characters beyond it become '?'. Each line feed is
// written as CR LF, as a file opened in text mode has it.
void AppendLatin1(std::string* bytes, const wchar_t* text) {
  for (; *text; ++text) {
    if (*text == L'\n') bytes->push_back('\r');
    bytes->push_back(*text <= 0xFF ? static_cast<char>(*text) : '?');
  }
}

std::string EntryBytes(const wchar_t* message) {
  wchar_t date[256] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 256);
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t time[16];
  _snwprintf(time, 15, L"%02d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
  time[15] = L'\0';

  std::string bytes;
  for (const wchar_t* part : {static_cast<const wchar_t*>(date), L" - ",
                              static_cast<const wchar_t*>(time), L": ", message, L"\n"}) {
    AppendLatin1(&bytes, part);
  }
  return bytes + kSeparator;
}

HANDLE OpenName(const wchar_t* path, DWORD disposition) {
  return CreateFileW(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                     disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// The log in the current directory, opened for appending as the name itself: a new file,
// or the plain file there. Invalid when the directory is reached through a link a user may
// have made, or the name is a link (symbolic link, junction, hard link) or no plain file:
// an elevated run appends to nothing else than its own log.
lk::ScopedFileHandle OpenLog() {
  wchar_t folder[kFolderUnits] = {};
  const DWORD length = GetCurrentDirectoryW(kFolderUnits, folder);
  wchar_t path[kFolderUnits] = {};
  if (length == 0 || length >= kFolderUnits || !lk::JoinPath(folder, kLogFileName, path) ||
      !lk::IsReachableWithoutUntrustedLinks(folder, path) ||
      lk::QueryLinkState(path) == lk::LinkState::kLink) {
    return lk::ScopedFileHandle();
  }
  // A new file never follows a link at the name; an existing name is opened as itself.
  lk::ScopedFileHandle log(OpenName(path, CREATE_NEW));
  if (!log && GetLastError() == ERROR_FILE_EXISTS) log.Reset(OpenName(path, OPEN_EXISTING));
  if (!log || GetFileType(log.Get()) != FILE_TYPE_DISK ||
      lk::QueryLinkState(log.Get()) != lk::LinkState::kPlain ||
      !lk::IsOpenedAt(log.Get(), folder, path)) {
    return lk::ScopedFileHandle();
  }
  return log;
}

}  // namespace

void AppendInstallLog(const wchar_t* message) {
  lk::ScopedFileHandle log = OpenLog();
  if (!log) return;
  const std::string bytes = EntryBytes(message);
  DWORD written = 0;
  WriteFile(log.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
