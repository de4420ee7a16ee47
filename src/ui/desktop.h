// What the window needs from the desktop beyond its own widgets: the modal
// boxes, the file dialogs and the beep. The window calls only this, so
// tests answer every box and dialog without blocking.
#pragma once

#include <optional>
#include <string>

#include "core/messages.h"

namespace celestra {

// A file-open dialog's settings and memory: one per button, for the life of
// the process.
struct OpenDialog {
    std::string typeName;          // shown in the file-type list
    std::string pattern;           // a plain file name: only such files are listed
    std::string defaultExtension;  // added to a name typed without one
    std::string fileName;          // the last file chosen, full path; empty at first
};

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
