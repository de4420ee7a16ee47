// The processing run: the comet-elements file gets one pseudo-comet line per
// object of the object list, in place of the lines earlier runs wrote.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "core/object_line.h"
#include "platform/file_lock.h"
#include "platform/platform_file.h"
#include "text/fixed_texts.h"
#include "text/line_list.h"

namespace celestra {

// What the run works on; the window owns it for the life of the process.
struct RunState {
    std::string cometPath;   // the comet-elements file
    std::string objectPath;  // the object list file
    std::string dateText;    // the observation date, "dd/mm/yyyy"
    LineList cometList;      // the comet-elements file's lines
    // The object list's accepted lines, each read once, in order.
    std::vector<ListedObject> objects;
    // The column a table's magnitudes came from, for the closing message;
    // empty for a fixed-column list.
    std::string magnitudeColumn;
    // The epoch of a table's places where the table does not tell it.
    std::optional<double> tableEpochJulianYear;
    // Precise placement (J2000.0 frame, light time, magnitude) instead of
    // the classic element lines.
    bool precise = false;
    // How long a run waits for another run that holds the comet file.
    std::chrono::milliseconds lockWait{30000};
};

// The steps and the run over one state. Steps that meet a condition they
// know show its text and return false; anything else throws an Error that
// ends the run, for the caller to show with ErrorBoxText.
//
// From the load to the save the run holds a lock on the comet file, so that
// runs that meet take turns, and it checks that the file on disk is still
// the one it loaded when it takes the backup and again just before the
// save: a change another program made meanwhile ends the run, and is kept.
// Before anything else it puts back the comet file (and the backup) that an
// in-place write stopped part way, from the write's journal; a journal it
// may not act on (the file changed since, another user's) ends the run
// with where the user's bytes are (safe_write.h).
class ProcessingRun {
public:
    ProcessingRun(RunState& state, MessageBox& messages) : state_(state), messages_(messages) {}

    // Load, read, back up, purge, append, save, then the closing message.
    // True when the run got to its closing message.
    bool Run();

    // The comet-elements file replaces the comet list; from here the run
    // holds the file's lock.
    bool LoadCometFile();
    // The object list (a fixed-column list, or a catalogue table) replaces
    // the objects; the first malformed line or row is named, with where
    // and why.
    bool ReadObjectList();
    // A byte-for-byte copy of the comet-elements file, as it is on disk now,
    // to CometDatBak.Txt in its folder, written as a name: a link there is
    // replaced, never written through. Nothing to copy when that name is
    // the comet file itself.
    void BackUpCometFile();
    // Removes every comet line whose designation key is an object's.
    void PurgeCometList();
    // One element line per object, in order, at the end of the comet list.
    void AppendPseudoComets();
    // The comet list over the comet-elements file; the lock is released.
    void SaveCometList();

private:
    void RecoverStoppedWrites();
    void ReadObjectFile();

    RunState& state_;
    MessageBox& messages_;
    FileLock lock_;
    bool loaded_ = false;                   // the comet list holds what this run loaded
    std::optional<FileIdentity> backedUp_;  // the file's state when the backup read it
};

// "Proceso finalizado correctamente para N estrellas"; after a table, a
// second line names the column its magnitudes came from.
std::string ClosingMessage(std::size_t objectCount, std::string_view magnitudeColumn = {});

}  // namespace celestra
