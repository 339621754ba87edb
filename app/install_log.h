// The install log of unattended runs: "Lumenkast_Install.log" in the current directory.
#pragma once

// Appends one dated entry and a separator line; a log that cannot be opened loses it.
void AppendInstallLog(const wchar_t* message);
