// Removing the shortcuts an installation saved, for the current user and for all users.
#pragma once

#include <string>
#include <vector>

// Deletes the desktop links and the links of the start-menu group of both scopes, then each
// group folder when it is empty. Always 1: a missing link has nothing to remove.
int RemoveShortcuts(std::vector<std::wstring>* failures);
