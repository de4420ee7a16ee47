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

// ---- Where and why an object list is refused ----------------------------------
// The second line of "Error de formato para ...": where, then why, as in
// "fila 3 (línea 7), columna 'pmra': 'abc' no es un número" or
// "línea 12, columnas 14-15: 'ab' no es un número".
inline constexpr const char* kWhereLine = "línea ";
inline constexpr const char* kWhereRow = "fila ";
inline constexpr const char* kWhereColumnBefore = "columna '";
inline constexpr const char* kWhereColumnsBefore = "columnas ";
inline constexpr const char* kWhereOneColumn = "columna ";
// "'<text>' no es un número".
inline constexpr const char* kNotANumberAfter = "' no es un número";
inline constexpr const char* kMissingSign = "falta el signo de la declinación";
// "'<word>' no se lee como pm=<valor>": a word that names a keyed value.
inline constexpr const char* kUnreadKeyedWordMiddle = "' no se lee como ";
inline constexpr const char* kKeyedValueSuffix = "<valor>";
// "'pm=' dado dos veces".
inline constexpr const char* kGivenTwiceAfter = "' dado dos veces";
inline constexpr const char* kProperMotionOutOfRange = "movimiento propio fuera de rango";
inline constexpr const char* kParallaxOutOfRange = "paralaje fuera de rango";
inline constexpr const char* kRadialVelocityOutOfRange = "velocidad radial fuera de rango";
inline constexpr const char* kEpochOutOfRange = "época fuera de rango";
inline constexpr const char* kRightAscensionOutOfRange = "ascensión recta fuera de rango";
inline constexpr const char* kDeclinationOutOfRange = "declinación fuera de rango";
inline constexpr const char* kMissingRightAscension = "falta la ascensión recta";
inline constexpr const char* kMissingDeclination = "falta la declinación";
inline constexpr const char* kMissingMagnitude = "falta la magnitud";
inline constexpr const char* kMissingName = "falta el nombre";
// A table's header: a column the run needs, then how to give what is missing.
inline constexpr const char* kNoRightAscensionColumn =
    "falta la columna de ascensión recta (ra, RA_ICRS, _RAJ2000, RAJ2000 o una de UCD pos.eq.ra)";
inline constexpr const char* kNoDeclinationColumn =
    "falta la columna de declinación (dec, DE_ICRS, _DEJ2000, DEJ2000 o una de UCD pos.eq.dec)";
inline constexpr const char* kNoMagnitudeColumn =
    "falta una columna de magnitud (V, Vmag, G, phot_g_mean_mag o unidad mag)";
inline constexpr const char* kNoNameColumn =
    "falta una columna de nombre (designation, main_id, Name, source_id o UCD meta.id;meta.main)";
inline constexpr const char* kUnknownEpoch =
    "época de las posiciones desconocida: añada a la tabla una columna de época (ref_epoch o Epoch) o dé la "
    "época con la opción --epoch de celestra-batch";
// "unidad '<unit>' desconocida".
inline constexpr const char* kUnknownUnitBefore = "unidad '";
inline constexpr const char* kUnknownUnitAfter = "' desconocida";
// "la clave 'G4KX0PA2' es también la de la fila 3 ('Gaia DR3 ...')".
inline constexpr const char* kKeyCollisionBefore = "la clave '";
inline constexpr const char* kKeyCollisionMiddle = "' es también la de la fila ";
// The delimited tables (CSV, TSV, ECSV).
inline constexpr const char* kNoHeader = "la tabla no tiene cabecera con los nombres de las columnas";
inline constexpr const char* kOpenQuote = "comillas sin cerrar";
inline constexpr const char* kQuoteInsideField = "comillas dentro de un campo sin comillas";
// "la fila tiene 3 campos y la cabecera 5".
inline constexpr const char* kFieldCountBefore = "la fila tiene ";
inline constexpr const char* kFieldCountMiddle = " campos y la cabecera ";
inline constexpr const char* kNoUnitsLine = "faltan las líneas de unidades y de guiones tras los nombres";
inline constexpr const char* kBadEcsvHeader = "cabecera ECSV sin lista de columnas (datatype)";
inline constexpr const char* kEcsvNamesDiffer = "los nombres de las columnas no son los de la cabecera ECSV";
// The closing message's second line for a table: where the magnitude came
// from, "Magnitud: columna 'phot_g_mean_mag'".
inline constexpr const char* kMagnitudeFromBefore = "Magnitud: columna '";

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
// The object list dialog's file types.
inline constexpr const char* kObjectListTypeName = "Listas de objetos";
inline constexpr const char* kCatalogueTableTypeName = "Tablas de catálogo";
inline constexpr const char* kAllFilesTypeName = "Todos los archivos";
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

// ---- Tables: why a table is refused -------------------------------------------
// VOTable. Each is the reason that follows the place ("fila 3, columna 'ra':
// ..."); the XML's own faults are told in expat's words: "XML mal formado:
// mismatched tag".
inline constexpr const char* kVoTableBadXmlBefore = "XML mal formado: ";
inline constexpr const char* kVoTableTruncated = "el VOTable se corta antes de su final (archivo incompleto)";
// "el documento no es un VOTable: su elemento raíz es 'html'".
inline constexpr const char* kVoTableOtherRootBefore = "el documento no es un VOTable: su elemento raíz es '";
inline constexpr const char* kVoTableOtherRootAfter = "'";
inline constexpr const char* kVoTableNoTable = "el VOTable no tiene ninguna tabla (TABLE)";
inline constexpr const char* kVoTableNoFields = "la tabla no declara columnas (FIELD)";
inline constexpr const char* kVoTableNoData = "la tabla no tiene datos (DATA)";
// A service's refusal in place of a table: "el servicio respondió con un
// error: <its own words>".
inline constexpr const char* kVoTableServiceErrorBefore = "el servicio respondió con un error: ";
// "tipo de datos 'quad' desconocido".
inline constexpr const char* kVoTableUnknownTypeBefore = "tipo de datos '";
inline constexpr const char* kVoTableUnknownTypeAfter = "' desconocido";
inline constexpr const char* kVoTableNoType = "la columna no declara su tipo de datos (datatype)";
// "tamaño de matriz 'x3' no válido (arraysize)".
inline constexpr const char* kVoTableBadArraysizeBefore = "tamaño de matriz '";
inline constexpr const char* kVoTableBadArraysizeAfter = "' no válido (arraysize)";
inline constexpr const char* kVoTableExternalData =
    "los datos están en otro archivo (STREAM href), pida el VOTable con los datos dentro";
inline constexpr const char* kVoTableFitsData = "datos en formato FITS, no admitidos (pida TABLEDATA o BINARY2)";
// "codificación 'gzip' de los datos no admitida (solo base64)".
inline constexpr const char* kVoTableEncodingBefore = "codificación '";
inline constexpr const char* kVoTableEncodingAfter = "' de los datos no admitida (solo base64)";
// "la fila tiene 2 celdas (TD) y la tabla 3 columnas (FIELD)".
inline constexpr const char* kVoTableCellCountBefore = "la fila tiene ";
inline constexpr const char* kVoTableCellCountMiddle = " celdas (TD) y la tabla ";
inline constexpr const char* kVoTableCellCountAfter = " columnas (FIELD)";
inline constexpr const char* kVoTableBadBase64 = "carácter no válido en los datos base64";
inline constexpr const char* kVoTableEndsMidRow = "los datos binarios terminan a mitad de fila";

}  // namespace celestra
