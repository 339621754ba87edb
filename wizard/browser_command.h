// The browser registered for ".htm" files, as the fallback for opening a web address.
#pragma once

#include <windows.h>

#include <cstddef>

constexpr size_t kBrowserCommandLength = 520;

// The browser command for url made from the command registered for ".htm" files: the
// quoted placeholder "%1" (or else a bare %1) and everything after it are replaced by
// a space and the address; without a placeholder the address is appended. False (and
// an empty command) when the result would not fit the 520 characters.
bool BuildBrowserCommand(const wchar_t* registeredCommand, const wchar_t* url,
                         wchar_t (&command)[kBrowserCommandLength]);

// Starts the registered browser with url; the result of WinExec, or failure when no
// browser command is registered or it does not fit.
INT_PTR OpenWithRegisteredBrowser(const wchar_t* url, INT_PTR failure);
