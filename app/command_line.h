// The unattended command line: "/silent" and the /name=value switches.
#pragma once

#include <cstddef>

#include "app/install_options.h"

// Removes trailing spaces, one trailing and one leading double quote, then trailing
// spaces again, in place.
void TrimQuotes(wchar_t* text);

// True when the command line selects the unattended mode (case-sensitive "/silent").
bool IsUnattendedCommandLine(const wchar_t* commandLine);

// Finds the option (its name including '=') in commandLine and copies its value into
// value (capacity characters): up to the next '/', the end, or position 260 counted
// from the option name. False when the option is absent.
bool ReadOptionValue(const wchar_t* commandLine, const wchar_t* name, wchar_t* value,
                     size_t capacity);

// Fills the switches of the command line into options (target folder, shortcuts,
// all-users, settings folder, format selection); absent switches leave fields unchanged.
void ApplyCommandLineOptions(const wchar_t* commandLine, InstallOptions& options);
