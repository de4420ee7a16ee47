// The command line and the console as a command-line program meets them:
// arguments in UTF-8, and lines of UTF-8 text that the console shows in any
// script.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace celestra {

// The arguments after the program's name, in UTF-8. On Windows argv holds
// them in the ANSI code page, where a name in another script is already
// lost: they are read from the wide command line instead.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Writes a line of UTF-8 text to `stream` (std::cout or std::cerr). A
// Windows console is given it as UTF-16, which it shows whatever its code
// page; output to a file or a pipe is the UTF-8 bytes.
void WriteLine(std::ostream& stream, const std::string& text);

}  // namespace celestra
