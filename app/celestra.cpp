// celestra: the window.
#include "ui/qt/window_main.h"

int main(int argc, char** argv) { return celestra::RunWindow(argc, argv); }
