// The window program on Windows: the Win32 controls of the main window,
// their events forwarded to FormBehaviour, until the window has closed.
#pragma once

#include <windows.h>
// windows.h renames MessageBox to MessageBoxA, which would rename the run's
// message box interface in the files that include this one.
#undef MessageBox

namespace celestra {

// Runs the window and returns the exit status.
int RunWin32Window(HINSTANCE instance, int showCommand);

}  // namespace celestra
