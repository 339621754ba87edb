// The running viewer, found by its top-level window.
#pragma once

// True when a window of the viewer's class "Lumenkast" exists.
bool IsViewerRunning();
