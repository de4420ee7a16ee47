#include "platform/console.h"

namespace celestra {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void WriteLine(std::ostream& stream, const std::string& text) { stream << text << "\n"; }

}  // namespace celestra
