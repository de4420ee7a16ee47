#include "ui/settings_file.h"

#include <cstdlib>

#include "text/platform_file.h"
#include "text/text_file.h"

namespace celestra {
namespace {

constexpr const char* kUserFolderName = "celestra/";

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

// The folder with `separator` after it unless it already ends in a slash
// or a backslash (the rule of the system the path is for, whatever this
// one's).
std::string WithSeparator(std::string folder, char separator) {
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += separator;
    return folder;
}

}  // namespace

SettingsLocation LocateSettings(const std::string& programFolder, bool programFolderWritable, const char* xdgConfigHome,
                                const char* home) {
    SettingsLocation location{programFolder, ""};
    if (programFolderWritable) return location;
    if (IsAbsolute(xdgConfigHome)) {
        location.userFolder = WithSeparator(xdgConfigHome, '/') + kUserFolderName;
    } else if (IsAbsolute(home)) {
        location.userFolder = WithSeparator(home, '/') + ".config/" + kUserFolderName;
    }
    return location;
}

SettingsLocation LocateSettingsOnWindows(const std::string& programFolder, bool programFolderWritable,
                                         const char* appData) {
    SettingsLocation location{programFolder, ""};
    if (programFolderWritable || appData == nullptr || appData[0] == '\0') return location;
    location.userFolder = WithSeparator(appData, '\\') + "Celestra\\";
    return location;
}

SettingsLocation LocateSettings(const std::string& programFolder) {
#ifdef _WIN32
    return LocateSettingsOnWindows(programFolder, FolderWritable(programFolder), std::getenv("APPDATA"));
#else
    return LocateSettings(programFolder, FolderWritable(programFolder), std::getenv("XDG_CONFIG_HOME"),
                          std::getenv("HOME"));
#endif
}

void ReadSettings(const SettingsLocation& location, const std::function<void(const std::string&)>& setCometPath,
                  const std::function<void(const std::string&)>& setObjectPath) {
    std::string path = location.userFolder + kSettingsFileName;
    if (location.userFolder.empty() || !FileExists(path)) path = location.programFolder + kSettingsFileName;
    if (!FileExists(path)) return;
    // A missing line reads as empty text.
    LineReader reader(path);
    setCometPath(reader.ReadLine());
    setObjectPath(reader.ReadLine());
    reader.Close();
}

void WriteSettings(const SettingsLocation& location, const std::string& cometPath, const std::string& objectPath) {
    std::string folder = location.programFolder;
    if (!location.userFolder.empty()) {
        folder = location.userFolder;
        if (const int error = MakeFolders(folder)) throw InOutErrorOf(error, FileAccess::kOpenForWriting, folder);
    }
    LineWriter writer(folder + kSettingsFileName);
    writer.WriteLine(cometPath);
    writer.WriteLine(objectPath);
    writer.Close();
}

}  // namespace celestra
