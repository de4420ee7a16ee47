#include "ui/settings_file.h"

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/platform_file.h"
#include "platform/text_file.h"
#ifdef _WIN32
#include "platform/wide_text.h"
#endif

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
    SettingsLocation location{programFolder, "", ""};
    if (IsAbsolute(xdgConfigHome)) {
        location.fallbackFolder = WithSeparator(xdgConfigHome, '/') + kUserFolderName;
    } else if (IsAbsolute(home)) {
        location.fallbackFolder = WithSeparator(home, '/') + ".config/" + kUserFolderName;
    }
    if (!programFolderWritable) location.userFolder = location.fallbackFolder;
    return location;
}

SettingsLocation LocateSettingsOnWindows(const std::string& programFolder, bool programFolderWritable,
                                         const char* appData) {
    SettingsLocation location{programFolder, "", ""};
    if (appData == nullptr || appData[0] == '\0') return location;
    location.fallbackFolder = WithSeparator(appData, '\\') + "Celestra\\";
    if (!programFolderWritable) location.userFolder = location.fallbackFolder;
    return location;
}

SettingsLocation LocateSettings(const std::string& programFolder) {
#ifdef _WIN32
    // The wide variable: the user's name in the path may lie outside the
    // ANSI code page, which getenv would turn into question marks.
    const wchar_t* appData = _wgetenv(L"APPDATA");
    const std::string appDataText = appData != nullptr ? Utf8Text(appData) : std::string();
    return LocateSettingsOnWindows(programFolder, FolderWritable(programFolder),
                                   appData != nullptr ? appDataText.c_str() : nullptr);
#else
    return LocateSettings(programFolder, FolderWritable(programFolder), std::getenv("XDG_CONFIG_HOME"),
                          std::getenv("HOME"));
#endif
}

#ifdef _WIN32
SettingsCodePage SystemSettingsCodePage() {
    return {[](std::string_view utf8, std::string& bytes) { return TryAnsiText(utf8, bytes); }, &Utf8FromAnsi};
}
#else
SettingsCodePage SystemSettingsCodePage() {
    return {[](std::string_view utf8, std::string& bytes) {
                bytes.assign(utf8);
                return true;
            },
            [](std::string_view bytes) { return std::string(bytes); }};
}
#endif

SettingsLines EncodeSettings(const SettingsLines& paths, const SettingsCodePage& codePage) {
    SettingsLines lines;
    // A first line whose own bytes begin as the mark does would read as
    // marked: such a path ("ï»¿" in Windows-1252) takes the marked form too.
    if (codePage.tryEncode(paths.comet, lines.comet) && codePage.tryEncode(paths.object, lines.object) &&
        !lines.comet.starts_with(kUtf8Mark)) {
        return lines;
    }
    return {std::string(kUtf8Mark) + paths.comet, paths.object};
}

SettingsLines DecodeSettings(const SettingsLines& lines, const SettingsCodePage& codePage) {
    if (lines.comet.starts_with(kUtf8Mark)) return {lines.comet.substr(kUtf8Mark.size()), lines.object};
    return {codePage.decode(lines.comet), codePage.decode(lines.object)};
}

namespace {

// True when the file at `path` was last written after the one at `other`.
bool Newer(const std::string& path, const std::string& other) {
    FileIdentity identity, otherIdentity;
    return IdentityOf(path, identity) == 0 && IdentityOf(other, otherIdentity) == 0 &&
           identity.modifiedTicks > otherIdentity.modifiedTicks;
}

// The file of that name to read; empty when there is none (a folder of that
// name does not count). With the program folder not writable, the user's
// when there is one, else the one beside the executable (as shipped). With
// it writable, the one beside the executable, unless a close had to put the
// file in the user's folder instead: the user's copy is read when it is
// newer than the file beside the executable, or when a folder holds that
// name there. A name that is free beside the executable reads as no file,
// so that a new portable copy starts clean even where an installed copy
// keeps the user's settings. Times decide rather than a look at the file's
// permissions, since a file may refuse writing for reasons no attribute
// shows (another user's, an access rule); and once the file beside the
// executable can be written again, the next close makes it the newer one.
std::string FileToRead(const SettingsLocation& location, const char* name) {
    const std::string beside = location.programFolder + name;
    const std::string& userFolder = location.userFolder.empty() ? location.fallbackFolder : location.userFolder;
    if (!userFolder.empty()) {
        const std::string users = userFolder + name;
        if (FileExists(users) &&
            (!location.userFolder.empty() || FolderExists(beside) || (FileExists(beside) && Newer(users, beside)))) {
            return users;
        }
    }
    return FileExists(beside) ? beside : std::string();
}

// Writes the lines into the file of that name in `folder`, making the folder
// first when asked. Errors name the file (InOutErrorOf's texts end in the
// path), a folder that cannot be made too: the file is what the user lost.
void WriteLinesIn(const std::string& folder, bool makeFolder, const char* name,
                  const std::vector<std::string_view>& lines) {
    const std::string path = folder + name;
    if (makeFolder) {
        if (const int error = MakeFolders(folder)) throw InOutErrorOf(error, FileAccess::kOpenForWriting, path);
    }
    LineWriter writer(path);
    for (const std::string_view line : lines) writer.WriteLine(line);
    writer.Close();
}

// Writes the file of that name: into the user's folder when the program
// folder is not writable; else beside the executable, and into the user's
// folder when that fails. The error, when no place takes the file, is the
// first place's: the file the user knows of.
void WriteLines(const SettingsLocation& location, const char* name, const std::vector<std::string_view>& lines) {
    if (!location.userFolder.empty()) return WriteLinesIn(location.userFolder, true, name, lines);
    try {
        WriteLinesIn(location.programFolder, false, name, lines);
    } catch (const InOutError& besideError) {
        if (location.fallbackFolder.empty()) throw;
        try {
            WriteLinesIn(location.fallbackFolder, true, name, lines);
        } catch (const InOutError&) {
            throw besideError;
        }
    }
}

constexpr std::string_view kPreciseOn = "Preciso=1";
constexpr std::string_view kPreciseOff = "Preciso=0";

// Reads the lines of the file of that name, handing each over as it comes.
template <typename Reading>
void ReadLines(const SettingsLocation& location, const char* name, const Reading& reading) {
    const std::string path = FileToRead(location, name);
    if (path.empty()) return;
    LineReader reader(path);
    reading(reader);
    reader.Close();
}

}  // namespace

void ReadSettings(const SettingsLocation& location, const std::function<void(const std::string&)>& setCometPath,
                  const std::function<void(const std::string&)>& setObjectPath, const SettingsCodePage& codePage) {
    ReadLines(location, kSettingsFileName, [&](LineReader& reader) {
        // A missing line reads as empty text. The first line alone tells
        // how both are written.
        SettingsLines lines{reader.ReadLine(), ""};
        setCometPath(DecodeSettings(lines, codePage).comet);
        lines.object = reader.ReadLine();
        setObjectPath(DecodeSettings(lines, codePage).object);
    });
}

void WriteSettings(const SettingsLocation& location, const std::string& cometPath, const std::string& objectPath,
                   const SettingsCodePage& codePage) {
    const SettingsLines lines = EncodeSettings({cometPath, objectPath}, codePage);
    WriteLines(location, kSettingsFileName, {lines.comet, lines.object});
}

FormOptions ReadOptions(const SettingsLocation& location) {
    FormOptions options;
    ReadLines(location, kOptionsFileName, [&](LineReader& reader) {
        while (!reader.Eof()) {
            if (reader.ReadLine() == kPreciseOn) options.precise = true;
        }
    });
    return options;
}

void WriteOptions(const SettingsLocation& location, const FormOptions& options) {
    WriteLines(location, kOptionsFileName, {options.precise ? kPreciseOn : kPreciseOff});
}

}  // namespace celestra
