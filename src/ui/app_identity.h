// What the program takes from its own executable's path.
#pragma once

#include <string>
#include <string_view>

namespace celestra {

// The caption of every message box and error box: the executable's file
// name without its folder, cut before its first ".", its first letter in
// upper case and every later one in lower case ("celestra" and
// "CELESTRA.EXE" both give "Celestra").
std::string ApplicationTitle(std::string_view executablePath);

// The folder of the executable, with its separator: where the settings
// file lives.
std::string ProgramFolder(std::string_view executablePath);

}  // namespace celestra
