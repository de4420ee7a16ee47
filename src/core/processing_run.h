// The processing run: the comet-elements file gets one pseudo-comet line per
// object of the object list, in place of the lines earlier runs wrote.
#pragma once

#include <string>
#include <string_view>

#include "core/messages.h"
#include "text/line_list.h"

namespace celestra {

// What the run works on; the window owns it for the life of the process.
struct RunState {
    std::string cometPath;   // the comet-elements file
    std::string objectPath;  // the object list file
    std::string dateText;    // the observation date, "dd/mm/yyyy"
    LineList cometList;      // the comet-elements file's lines
    LineList objectList;     // the accepted object lines
    // Precise placement (J2000.0 frame, light time, magnitude) instead of
    // the classic element lines.
    bool precise = false;
};

// The fixed texts of the run.
inline constexpr const char* kCometFileNotFound = "Comet.dat no encontrado";
inline constexpr const char* kObjectFileNotFound = "Archivo de objetos no encontrado";
inline constexpr const char* kFormatErrorFor = "Error de formato para ";
inline constexpr const char* kBackupFileName = "CometDatBak.Txt";

// The steps and the run over one state. Steps that meet a condition they
// know show its text and return false; anything else throws an Error that
// ends the run, for the caller to show with ErrorBoxText.
class ProcessingRun {
public:
    ProcessingRun(RunState& state, MessageBox& messages) : state_(state), messages_(messages) {}

    // Load, read, back up, purge, append, save, then the closing message.
    // True when the run got to its closing message.
    bool Run();

    // The comet-elements file replaces the comet list.
    bool LoadCometFile();
    // The object list file's well-formed lines replace the object list; the
    // first malformed line is named.
    bool ReadObjectList();
    // A byte-for-byte copy of the comet-elements file, as it is on disk now,
    // to CometDatBak.Txt in its folder.
    void BackUpCometFile();
    // Removes every comet line whose designation key is an object's.
    void PurgeCometList();
    // One element line per object line, in order, at the end of the comet
    // list.
    void AppendPseudoComets();
    // The comet list over the comet-elements file.
    void SaveCometList();

private:
    RunState& state_;
    MessageBox& messages_;
};

// "Proceso finalizado correctamente para N estrellas".
std::string ClosingMessage(std::size_t objectCount);

}  // namespace celestra
