#include "payload/file_times.h"

#include "framework/scoped_handles.h"

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// A date and time that name a real moment: month 1 to 12, a day the month has, hours 0 to
// 23, minutes 0 to 59, seconds 0 to 58 (stored halved).
bool IsValidDosDateTime(WORD date, WORD time) {
  const int year = 1980 + (date >> 9);
  const int month = (date >> 5) & 0x0F;
  const int day = date & 0x1F;
  const int hours = time >> 11;
  const int minutes = (time >> 5) & 0x3F;
  const int halfSeconds = time & 0x1F;
  return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month) &&
         hours <= 23 && minutes <= 59 && halfSeconds <= 29;
}

// An archive entry's MS-DOS date and time, read as local time, as a file time (UTC). False
// for a date or time that is no moment at all (an archive writer's zero or garbage): the
// file then keeps the time the system gave it, not one in 1601 or 1901.
bool FileTimeFromDos(DWORD dosDateTime, FILETIME* stamp) {
  const WORD date = HIWORD(dosDateTime);
  const WORD time = LOWORD(dosDateTime);
  FILETIME local = {};
  return IsValidDosDateTime(date, time) && DosDateTimeToFileTime(date, time, &local) &&
         LocalFileTimeToFileTime(&local, stamp);
}

}  // namespace

void SetFileTimeFromDos(const wchar_t* path, DWORD dosDateTime) {
  FILETIME stamp = {};
  if (!FileTimeFromDos(dosDateTime, &stamp)) return;
  lk::ScopedFileHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  FILETIME created = {}, accessed = {}, written = {};
  GetFileTime(file.Get(), &created, &accessed, &written);
  SetFileTime(file.Get(), &stamp, &accessed, &stamp);
}

void SetFileTimeFromDos(HANDLE file, DWORD dosDateTime) {
  // No last-access time: it stays as it is, and a handle opened for writing only may not
  // read it.
  FILETIME stamp = {};
  if (FileTimeFromDos(dosDateTime, &stamp)) SetFileTime(file, &stamp, nullptr, &stamp);
}
