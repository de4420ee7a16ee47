#include "ui/app_identity.h"

#include "platform/platform_file.h"

namespace celestra {
namespace {

char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char ToUpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string ApplicationTitle(std::string_view executablePath) {
    std::string title(executablePath.substr(DirectoryPart(executablePath).size()));
    title = title.substr(0, title.find('.'));
    for (std::size_t i = 0; i < title.size(); ++i) title[i] = i == 0 ? ToUpperAscii(title[i]) : ToLowerAscii(title[i]);
    return title;
}

std::string ProgramFolder(std::string_view executablePath) { return DirectoryPart(executablePath); }

}  // namespace celestra
