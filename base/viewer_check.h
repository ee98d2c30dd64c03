// Whether the viewer is running, as the setup, the wizard and the uninstaller ask it.
#pragma once

// True while a top-level window of the viewer's class "Lumagrove" exists.
bool IsViewerRunning();
