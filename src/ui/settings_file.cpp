#include "ui/settings_file.h"

#include <cstdlib>
#include <string_view>

#include "platform/platform_file.h"
#include "platform/text_file.h"

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

namespace {

// The file of that name to read: the user's when there is one, else the one
// beside the executable; empty when neither exists (a folder of that name
// does not count).
std::string FileToRead(const SettingsLocation& location, const char* name) {
    std::string path = location.userFolder + name;
    if (location.userFolder.empty() || !FileExists(path)) path = location.programFolder + name;
    return FileExists(path) ? path : std::string();
}

// The file of that name to write, its folder made when it is the user's.
std::string FileToWrite(const SettingsLocation& location, const char* name) {
    if (location.userFolder.empty()) return location.programFolder + name;
    if (const int error = MakeFolders(location.userFolder)) {
        throw InOutErrorOf(error, FileAccess::kOpenForWriting, location.userFolder);
    }
    return location.userFolder + name;
}

constexpr std::string_view kPreciseOn = "Preciso=1";
constexpr std::string_view kPreciseOff = "Preciso=0";

}  // namespace

void ReadSettings(const SettingsLocation& location, const std::function<void(const std::string&)>& setCometPath,
                  const std::function<void(const std::string&)>& setObjectPath) {
    const std::string path = FileToRead(location, kSettingsFileName);
    if (path.empty()) return;
    // A missing line reads as empty text.
    LineReader reader(path);
    setCometPath(reader.ReadLine());
    setObjectPath(reader.ReadLine());
    reader.Close();
}

void WriteSettings(const SettingsLocation& location, const std::string& cometPath, const std::string& objectPath) {
    LineWriter writer(FileToWrite(location, kSettingsFileName));
    writer.WriteLine(cometPath);
    writer.WriteLine(objectPath);
    writer.Close();
}

FormOptions ReadOptions(const SettingsLocation& location) {
    FormOptions options;
    const std::string path = FileToRead(location, kOptionsFileName);
    if (path.empty()) return options;
    LineReader reader(path);
    while (!reader.Eof()) {
        if (reader.ReadLine() == kPreciseOn) options.precise = true;
    }
    reader.Close();
    return options;
}

void WriteOptions(const SettingsLocation& location, const FormOptions& options) {
    LineWriter writer(FileToWrite(location, kOptionsFileName));
    writer.WriteLine(options.precise ? kPreciseOn : kPreciseOff);
    writer.Close();
}

}  // namespace celestra
