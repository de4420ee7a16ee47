// The two path fields kept between uses of the program: "Celestra.ini", the
// comet-elements path then the object list path, each as bytes followed by
// CR LF. The window's options go to a second file beside it, "Celestra.opt",
// so that the first keeps its two lines.
//
// The file lives beside the executable, so a copy carried on a stick or
// unpacked into a folder of its own takes its settings along. An installed
// copy cannot write there (/usr/bin, or Program Files, belongs to the
// system), so it keeps the file in the user's configuration folder instead.
// A copy whose folder is writable but whose file is not (copied from a disc
// with its read-only mark, or protected by an administrator) keeps it there
// too, so that a close never loses what was changed.
//
// Inside the program every path is UTF-8. On Windows the file stays in the
// system's ANSI code page, byte for byte as older copies wrote it, whenever
// both paths have a place there; a path outside it (a Cyrillic folder on a
// Western system) makes the whole file UTF-8 behind a byte-order mark. The
// rule is the pure EncodeSettings and DecodeSettings below, given the code
// page as a pair of conversions, so that this layer needs no system call of
// its own and the rule can be tried anywhere with any code page; the
// system's conversions come from src/platform.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "text/fixed_texts.h"

namespace celestra {

// Where the settings are read and written.
struct SettingsLocation {
    std::string programFolder;  // the executable's folder, with its separator
    // The user's configuration folder for this program, with its separator,
    // when the program folder is not writable; else empty.
    std::string userFolder;
    // The user's configuration folder whatever the program folder allows:
    // where a file goes that cannot be written beside the executable. Empty
    // when the environment names none.
    std::string fallbackFolder;
};

// The location for an executable in `programFolder`: the user's folder is
// "$XDG_CONFIG_HOME/celestra/", or "$HOME/.config/celestra/" when that is
// unset or not absolute; none when neither variable helps. It is the
// userFolder only when the program folder is not writable, and always the
// fallbackFolder. Null pointers stand for unset variables.
SettingsLocation LocateSettings(const std::string& programFolder, bool programFolderWritable, const char* xdgConfigHome,
                                const char* home);

// The same rule on Windows: the user's folder is "%APPDATA%\Celestra\".
SettingsLocation LocateSettingsOnWindows(const std::string& programFolder, bool programFolderWritable,
                                         const char* appData);

// The rule of this system, from this process's environment and file system.
SettingsLocation LocateSettings(const std::string& programFolder);

// A code page the file may be kept in, as two conversions from and to the
// program's UTF-8.
struct SettingsCodePage {
    // The text in the code page, when every character has a place there;
    // false otherwise.
    std::function<bool(std::string_view utf8, std::string& bytes)> tryEncode;
    // Bytes of the code page as UTF-8.
    std::function<std::string(std::string_view bytes)> decode;
};

// This system's: the ANSI code page on Windows; elsewhere the bytes pass as
// they are, so that nothing ever needs the mark.
SettingsCodePage SystemSettingsCodePage();

// Marks a file whose lines are UTF-8, at the start of its first line.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The file's two lines, without their line ends.
struct SettingsLines {
    std::string comet, object;
};

// The lines to write for two UTF-8 paths: both in the code page when both
// fit it (and the first does not then begin with the mark's bytes), else
// both as they are with the mark before the first.
SettingsLines EncodeSettings(const SettingsLines& paths, const SettingsCodePage& codePage);

// The UTF-8 paths of the lines read: a first line that begins with the mark
// makes both lines UTF-8 (the mark dropped); otherwise both are in the code
// page.
SettingsLines DecodeSettings(const SettingsLines& lines, const SettingsCodePage& codePage);

// Reads the settings from the file to read (see FileToRead in the source):
// the user's file when the program folder is not writable and there is one;
// otherwise the one beside the executable, unless a copy in the user's
// folder is newer or a folder holds the name beside the executable (a close
// wrote there because the file beside the executable could not be written).
// A folder of that name does not count as a file; no file, nothing. Each
// line is handed over as soon as it is read, so a failure leaves what was
// read before it. Throws InOutError, naming the file.
void ReadSettings(const SettingsLocation& location, const std::function<void(const std::string&)>& setCometPath,
                  const std::function<void(const std::string&)>& setObjectPath,
                  const SettingsCodePage& codePage = SystemSettingsCodePage());

// Writes the settings, creating or emptying the file (and creating the
// user's folder when that is where it goes): beside the executable, or in
// the user's folder when the program folder is not writable or the file
// there cannot be written. Throws InOutError only when no place takes it,
// its text followed by ": " and the path of the first place tried.
void WriteSettings(const SettingsLocation& location, const std::string& cometPath, const std::string& objectPath,
                   const SettingsCodePage& codePage = SystemSettingsCodePage());

// The window's options: one "name=value" line each, CR LF ended.
struct FormOptions {
    bool precise = false;  // "Preciso": the precise lines
};

// Reads the options by the rule the settings are read by (the file on its
// own: it may have had to fall back where the settings did not); a missing
// file or line leaves an option at its default. Throws InOutError.
FormOptions ReadOptions(const SettingsLocation& location);

// Writes the options by the rule the settings are written by. Throws
// InOutError.
void WriteOptions(const SettingsLocation& location, const FormOptions& options);

}  // namespace celestra
