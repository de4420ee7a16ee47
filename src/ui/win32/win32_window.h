// The window program on Windows: the Win32 controls of the main window,
// their events forwarded to FormBehaviour, until the window has closed.
#pragma once

#include <windows.h>

namespace celestra {

// Runs the window and returns the exit status.
int RunWin32Window(HINSTANCE instance, int showCommand);

}  // namespace celestra
