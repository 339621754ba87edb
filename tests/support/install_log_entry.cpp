#include "support/install_log_entry.h"

#include <windows.h>

#include <cctype>

namespace lktest {

namespace {

std::string TodaysDate() {
  wchar_t date[256] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 256);
  return LogBytes(date);
}

bool IsTime(const std::string& text) {
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
  for (size_t i : {0, 1, 3, 4, 6, 7}) {
    if (!isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

}  // namespace

std::string LogBytes(const std::wstring& text) {
  std::string bytes;
  for (wchar_t ch : text) {
    if (ch == L'\n') bytes += '\r';
    bytes += static_cast<char>(ch);
  }
  return bytes;
}

::testing::AssertionResult IsSingleLogEntry(const std::string& log, const std::wstring& message) {
  const std::string date = TodaysDate() + " - ";
  const std::string tail = ": " + LogBytes(message) + "\r\n" + std::string(48, '-') + "\r\n";
  const size_t timeAt = date.size();
  if (log.size() != date.size() + 8 + tail.size() || log.compare(0, date.size(), date) != 0 ||
      !IsTime(log.substr(timeAt, 8)) || log.compare(timeAt + 8, std::string::npos, tail) != 0) {
    return ::testing::AssertionFailure() << "the log holds\n" << log << "\nexpected one entry\n"
                                         << date << "HH:MM:SS" << tail;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace lktest
