// The window program: the toolkit, the desktop and the one window, from
// start to the end of the event loop.
#pragma once

#include <functional>

namespace celestra {

class MainWindow;

// Runs the window until it has closed and returns the exit status. `shown`,
// when given, runs once the window is on screen (tests drive it from there).
int RunWindow(int& argc, char** argv, const std::function<void(MainWindow&)>& shown = {});

}  // namespace celestra
