// Removing the shortcuts an installation saved, for the current user and for all users.
#pragma once

#include <string>
#include <vector>

// Deletes the desktop links and the links of the start-menu group of both scopes, found
// where the setup saves them, then each group folder when it is empty. A link that exists
// but cannot be deleted is appended to failures by its path. 1 when none failed, 0
// otherwise; a missing link has nothing to remove.
int RemoveShortcuts(std::vector<std::wstring>* failures);
