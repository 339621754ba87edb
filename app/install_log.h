// The install log of unattended runs: "Lumenkast_Install.log" in the current directory.
#pragma once

// Appends one dated entry and a separator line; a log that cannot be opened loses it. So
// does a log whose name is a link (symbolic link, junction, hard link) or no plain file, or
// a current directory reached through a link that an ordinary user could have made.
void AppendInstallLog(const wchar_t* message);
