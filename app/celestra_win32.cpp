// celestra.exe: the window on Windows.
#include <windows.h>

#include "ui/win32/win32_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return celestra::RunWin32Window(instance, showCommand);
}
