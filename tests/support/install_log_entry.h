// The install log as an administrator reads it after an unattended run.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace lktest {

// A text as the log holds it: one byte per character (ISO 8859-1), line feeds as CR LF.
std::string LogBytes(const std::wstring& text);

// Success when log is exactly one entry: today's short date, " - ", the time as HH:MM:SS,
// ": ", message, CR LF, and the separator line of 48 hyphens with CR LF.
::testing::AssertionResult IsSingleLogEntry(const std::string& log, const std::wstring& message);

}  // namespace lktest
