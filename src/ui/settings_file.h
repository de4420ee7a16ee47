// The two path fields kept between uses of the program: "Celestra.ini", the
// comet-elements path then the object list path, each as bytes followed by
// CR LF. The window's options go to a second file beside it, "Celestra.opt",
// so that the first keeps its two lines.
//
// The file lives beside the executable, so a copy carried on a stick or
// unpacked into a folder of its own takes its settings along. An installed
// copy cannot write there (/usr/bin, or Program Files, belongs to the
// system), so it keeps the file in the user's configuration folder instead.
#pragma once

#include <functional>
#include <string>

#include "text/catalogue.h"

namespace celestra {

// Where the settings are read and written.
struct SettingsLocation {
    std::string programFolder;  // the executable's folder, with its separator
    // The user's configuration folder for this program, with its separator,
    // when the program folder is not writable; else empty.
    std::string userFolder;
};

// The location for an executable in `programFolder`: the user's folder is
// "$XDG_CONFIG_HOME/celestra/", or "$HOME/.config/celestra/" when that is
// unset or not absolute; none when the program folder is writable or
// neither variable helps. Null pointers stand for unset variables.
SettingsLocation LocateSettings(const std::string& programFolder, bool programFolderWritable, const char* xdgConfigHome,
                                const char* home);

// The same rule on Windows: the user's folder is "%APPDATA%\Celestra\".
SettingsLocation LocateSettingsOnWindows(const std::string& programFolder, bool programFolderWritable,
                                         const char* appData);

// The rule of this system, from this process's environment and file system.
SettingsLocation LocateSettings(const std::string& programFolder);

// Reads the settings: the user's file when there is one, else the file
// beside the executable when there is one (a folder of that name does not
// count), else nothing. Each line is handed over as soon as it is read, so a
// failure leaves what was read before it. Throws InOutError.
void ReadSettings(const SettingsLocation& location, const std::function<void(const std::string&)>& setCometPath,
                  const std::function<void(const std::string&)>& setObjectPath);

// Writes the settings, creating or emptying the file (and creating the
// user's folder when that is where it goes). Throws InOutError.
void WriteSettings(const SettingsLocation& location, const std::string& cometPath, const std::string& objectPath);

// The window's options: one "name=value" line each, CR LF ended.
struct FormOptions {
    bool precise = false;  // "Preciso": the precise lines
};

// Reads the options from where the settings are read (the user's file
// first); a missing file or line leaves an option at its default. Throws
// InOutError.
FormOptions ReadOptions(const SettingsLocation& location);

// Writes the options where the settings are written. Throws InOutError.
void WriteOptions(const SettingsLocation& location, const FormOptions& options);

}  // namespace celestra
