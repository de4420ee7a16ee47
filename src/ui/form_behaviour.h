// Everything the main window decides, whatever toolkit draws it: start-up
// and close, the file pickers and the files dropped on the path fields, the
// run, "Hoy", the day step, the date field's mask check and its check on
// leaving. A front end creates the controls, forwards their events here and
// answers FormControls; the boxes, dialogs and beep come through Desktop.
// Every handler ends an error that leaves it in the error box, with the
// full-stop rule.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/processing_run.h"
#include "text/fixed_texts.h"
#include "ui/desktop.h"
#include "ui/settings_file.h"

namespace celestra {

// What the behaviour reads and writes of the window's controls. Paths are
// the core's bytes; the front end owns the conversion of its text.
class FormControls {
public:
    virtual ~FormControls() = default;
    virtual std::string CometPath() const = 0;
    virtual void SetCometPath(const std::string& path) = 0;
    virtual std::string ObjectPath() const = 0;
    virtual void SetObjectPath(const std::string& path) = 0;
    // The date field: its ten characters, a date the program writes (which
    // also becomes what Escape restores), whether a digit position is
    // empty while the user edits, and the focus put back into it with the
    // cursor on the first empty digit.
    virtual std::string DateText() const = 0;
    virtual void SetDateText(const std::string& text) = 0;
    virtual bool DateMaskIncomplete() const = 0;
    virtual void ReturnFocusToDate() = 0;
    // "Preciso": ticked for the precise lines.
    virtual bool Precise() const = 0;
    virtual void SetPrecise(bool ticked) = 0;
};

// One thing dropped on the window from a file manager, in the order the
// desktop lists them.
struct DroppedItem {
    std::string path;  // a file's path, in the form the file dialog gives it; a link's address otherwise
    bool local;        // a file of this machine's file system, not a web address
};

// The path a drop puts into a path field: the first item's, when that is a
// local file and no folder. Nothing otherwise: the field keeps its text.
std::optional<std::string> DroppedPath(const std::vector<DroppedItem>& items);

class FormBehaviour {
public:
    // Sets the process's conventions before anything reads them: the
    // regional settings' date separator, which the date field is built
    // with, and the removal of a run's temporary file when the process is
    // interrupted (a logout or a kill during a run).
    FormBehaviour(Desktop& desktop, FormControls& controls);

    // Start-up: the program folder, the settings, the default date, then the
    // options ("Preciso"). An error skips the remaining steps, so an
    // unreadable settings file leaves the date blank.
    void Start(const std::string& executablePath);
    // Writes the settings, then the options. A file that cannot be written
    // is reported, and the window closes all the same: a read-only folder
    // must not keep the program from ending.
    void Close();
    void PickCometFile();
    void PickObjectFile();
    // Files dropped on a path field: the path DroppedPath takes, as if
    // chosen in the field's dialog (which then opens on it); a refused drop
    // changes nothing.
    void DropOnCometField(const std::vector<DroppedItem>& items);
    void DropOnObjectField(const std::vector<DroppedItem>& items);
    // The run on the fields and "Preciso" as they are now.
    void Process();
    // The default observation date.
    void SetToday();
    // The spinner moved its position (it reports only then): the date a day
    // on or back. A date that does not convert is an error.
    void StepDay(bool forward);
    // Enter in the date field: the mask check alone.
    void DateFieldEnter();
    // The focus has left the date field: the mask check, or when the mask is
    // complete the date check ("Fecha incorrecta"), each sending the focus
    // back when it fails.
    void LeaveDateField();
    // True when leaving the date field now would send the focus back: a
    // front end refuses a click elsewhere then.
    bool DateFieldRefusesToLeave() const;

    // The comet dialog lists only the files named as the astrometry program
    // names its own. The object list may also be a catalogue service's
    // table, or a file of any name.
    OpenDialog cometDialog{{{kCometDialogTitle, kDefaultCometFileName}}, false, "dat", ""};
    OpenDialog objectDialog{{{kObjectListTypeName, "*.txt"},
                             {kCatalogueTableTypeName, "*.csv *.tsv *.ecsv *.vot *.votable *.xml"},
                             {kAllFilesTypeName, "*"}},
                            true,
                            "txt",
                            ""};

    const std::string& ProgramFolderPath() const { return programFolder_; }
    const SettingsLocation& Settings() const { return settings_; }
    const RunState& State() const { return state_; }

private:
    void Guarded(const std::function<void()>& handler);
    // Beep, focus back and the mask error, when a digit position is empty.
    void CheckMask();
    // "Fecha incorrecta" and the focus back, when the date does not convert.
    void CheckDate();
    bool DateTextConverts() const;

    Desktop& desktop_;
    FormControls& controls_;
    std::string programFolder_;
    SettingsLocation settings_;
    RunState state_;
};

}  // namespace celestra
