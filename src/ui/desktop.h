// What the window needs from the desktop beyond its own widgets: the modal
// boxes, the file dialogs and the beep. The window calls only this, so
// tests answer every box and dialog without blocking.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"

namespace celestra {

// One entry of a file dialog's type list.
struct FileFilter {
    std::string name;      // what the list shows
    std::string patterns;  // the files it lists, space-separated: "*.csv *.tsv", or a plain file name
};

// A file-open dialog's settings and memory: one per button, for the life of
// the process.
struct OpenDialog {
    std::vector<FileFilter> filters;  // the type list, in order; the first is selected
    bool patternsShown = false;       // each type shown with its patterns, "Tablas (*.csv *.tsv)", or by name alone
    std::string defaultExtension;     // added to a name typed without one
    std::string fileName;             // the last file chosen, full path; empty at first
};

// A type with its patterns, "Tablas (*.csv *.tsv)".
inline std::string NameWithPatterns(const FileFilter& filter) { return filter.name + " (" + filter.patterns + ")"; }

// The type list in the two forms the system dialogs take, from the one
// table. Qt's: every type with its patterns, ";;" between types; Qt reads
// the patterns from the parentheses, and hides them when asked to.
inline std::string QtFilterList(const OpenDialog& dialog) {
    std::string list;
    for (const FileFilter& filter : dialog.filters) {
        if (!list.empty()) list += ";;";
        list += NameWithPatterns(filter);
    }
    return list;
}

// The Windows dialog's: for every type the text shown and its patterns
// separated by ';', each ended by a NUL, and one more NUL after the last
// type.
inline std::string Win32FilterList(const OpenDialog& dialog) {
    std::string list;
    for (const FileFilter& filter : dialog.filters) {
        list += dialog.patternsShown ? NameWithPatterns(filter) : filter.name;
        list += '\0';
        for (const char c : filter.patterns) list += c == ' ' ? ';' : c;
        list += '\0';
    }
    list += '\0';
    return list;
}

// Show(text), inherited from MessageBox, is the message box: modal, no
// icon, one "OK" button that is both default and cancel.
class Desktop : public MessageBox {
public:
    // Modal, stop icon, one "OK" button; the text is shown as given.
    virtual void ShowError(const std::string& text) = 0;
    // Opens the dialog on its last file. The chosen full path (which need
    // not exist), also kept in dialog.fileName; nothing when cancelled.
    virtual std::optional<std::string> ChooseFile(OpenDialog& dialog) = 0;
    virtual void Beep() = 0;
};

}  // namespace celestra
