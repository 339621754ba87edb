// German texts of the string table.
#pragma once

#include <string>

#include <windows.h>

// The string with the given id from the program's own resources; empty when missing.
std::wstring LoadResString(UINT id);
