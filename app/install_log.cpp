#include "app/install_log.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr wchar_t kLogFileName[] = L"Lumenkast_Install.log";
constexpr char kSeparator[] = "------------------------------------------------\n";

// One byte per character (ISO 8859-1); characters beyond it become '?'. The file is
// open in text mode, so each line feed is written as CR LF.
void WriteLatin1(FILE* file, const wchar_t* text) {
  for (; *text; ++text) fputc(*text <= 0xFF ? static_cast<int>(*text) : '?', file);
}

}  // namespace

void AppendInstallLog(const wchar_t* message) {
  FILE* file = _wfopen(kLogFileName, L"a");
  if (!file) return;

  wchar_t date[256] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 256);
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t time[16];
  _snwprintf(time, 15, L"%02d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);

  WriteLatin1(file, date);
  WriteLatin1(file, L" - ");
  WriteLatin1(file, time);
  WriteLatin1(file, L": ");
  WriteLatin1(file, message);
  WriteLatin1(file, L"\n");
  fputs(kSeparator, file);
  fclose(file);
}
