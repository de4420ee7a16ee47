// Every fixed text of the system, in one place: what the user reads (the
// run's messages, the error texts, the window's captions and dialogs) and
// the names of the files it writes beside the user's. Texts that a varying
// part follows end where it joins them. The conversion and file-access
// errors keep their English wording: users' scripts and notes quote them.
#pragma once

namespace celestra {

// ---- The processing run -------------------------------------------------------
inline constexpr const char* kCometFileNotFound = "Comet.dat no encontrado";
inline constexpr const char* kObjectFileNotFound = "Archivo de objetos no encontrado";
inline constexpr const char* kFormatErrorFor = "Error de formato para ";
// "Proceso finalizado correctamente para N estrellas".
inline constexpr const char* kClosingMessageBefore = "Proceso finalizado correctamente para ";
inline constexpr const char* kClosingMessageAfter = " estrellas";
// The run's refusals, each followed by the path concerned.
inline constexpr const char* kCometFileInUse = "Comet.dat en uso por otro proceso: ";
inline constexpr const char* kCometFileChanged = "Comet.dat modificado por otro programa durante el proceso: ";
inline constexpr const char* kNotAPlainFile = "No es un archivo normal: ";
inline constexpr const char* kBackupLinkKept = "CometDatBak.Txt es un enlace que no se puede reemplazar: ";
// Shown before the run goes on, when it had to put a comet file back.
inline constexpr const char* kCometFileRestored = "Comet.dat restaurado tras una escritura interrumpida: ";
// A stopped write that the run does not repair: it stops, and says where.
// The file changed after the stop: the old content is kept at this path.
inline constexpr const char* kOldContentKept =
    "El archivo cambió tras una escritura interrumpida, su contenido anterior queda en: ";
// Another user's journal of a stopped write: this path.
inline constexpr const char* kForeignJournal = "Escritura interrumpida de otro usuario, sin reparar: ";
// The old content could not be put back; this file, then the cause.
inline constexpr const char* kRepairPending = "Archivo pendiente de reparar tras una escritura interrumpida: ";
// Something this run may not remove stands at one of its own names.
inline constexpr const char* kForeignFileAtOwnName = "Archivo ajeno en el lugar de un archivo de Celestra: ";
// Running out of memory, in place of the runtime's own text.
inline constexpr const char* kOutOfMemory = "Memoria insuficiente";

// ---- Conversions: "'<text>' is not a valid ..." -------------------------------
inline constexpr const char* kNotADateAfter = "' is not a valid date";
inline constexpr const char* kNotAnIntegerAfter = "' is not a valid integer value";
inline constexpr const char* kNotAFloatAfter = "' is not a valid floating point value";

// ---- Files and lists ---------------------------------------------------------
// The input/output errors, each followed by the path concerned: a user who
// reads "File access denied" alone cannot tell the comet file from its
// backup, the object list or the settings file.
inline constexpr const char* kFileNotFoundText = "File not found: ";
inline constexpr const char* kInvalidFilenameText = "Invalid filename: ";
inline constexpr const char* kTooManyOpenFilesText = "Too many open files: ";
inline constexpr const char* kFileAccessDeniedText = "File access denied: ";
// "I/O error <platform's error number>: <path>".
inline constexpr const char* kInOutErrorBefore = "I/O error ";
inline constexpr const char* kInOutErrorPathBefore = ": ";
inline constexpr const char* kCannotOpenFileBefore = "Cannot open file ";
inline constexpr const char* kCannotCreateFileBefore = "Cannot create file ";
inline constexpr const char* kStreamWriteError = "Stream write error";
inline constexpr const char* kListFull = "Unable to insert a line";
inline constexpr const char* kListIndexBefore = "List index out of bounds (";

// ---- The window ---------------------------------------------------------------
inline constexpr const char* kFormCaption = "Orbitario (21/03/2005)";
inline constexpr const char* kCometFileCaption = "Comet.dat";
inline constexpr const char* kObjectFileCaption = "Objetos";
inline constexpr const char* kProcessCaption = "Proceso";
inline constexpr const char* kTodayCaption = "Hoy";
inline constexpr const char* kPreciseCaption = "Preciso";
inline constexpr const char* kDateLabel = "Fecha:";
inline constexpr const char* kOkCaption = "OK";  // the message box's one button
inline constexpr const char* kCometDialogTitle = "Cometas Astrometrica";
inline constexpr const char* kObjectDialogTitle = "Objetos";
inline constexpr const char* kMaskErrorText = "Invalid input value.  Use escape key to abandon changes";
inline constexpr const char* kBadDateText = "Fecha incorrecta";

// ---- Files the system names -----------------------------------------------------
inline constexpr const char* kBackupFileName = "CometDatBak.Txt";
// After a file's name: its content from before a stopped write that found
// the file changed since ("comet.dat.anterior", then "-2", "-3"...).
inline constexpr const char* kKeptCopySuffix = ".anterior";
inline constexpr const char* kSettingsFileName = "Celestra.ini";
inline constexpr const char* kOptionsFileName = "Celestra.opt";
inline constexpr const char* kDefaultCometFileName = "comet.dat";
inline constexpr const char* kDefaultObjectFileName = "objetos.txt";

}  // namespace celestra
