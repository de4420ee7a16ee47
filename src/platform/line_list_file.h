// Line lists loaded from and saved to whole files.
#pragma once

#include <string>

#include "platform/platform_file.h"
#include "platform/safe_write.h"
#include "text/line_list.h"

namespace celestra {

// Two readings of a whole file, for two kinds of file:
//
// Raw lines, for a file the run rewrites (the comet file): every byte kept,
// lines split at CR LF, a lone CR or a lone LF, as SplitLines does, so that
// the lines saved again are the lines read. Throws FileStreamError "Cannot
// open file <path>" when it cannot be opened, leaving the list as it was.
void LoadRawLines(LineList& list, const std::string& path);

// Text lines, for a file the run only reads (the object list, the
// settings): LF ends a line, a CR is never part of one, a Ctrl-Z at the
// start of a line ends the file (LineList::LoadTextLines). Throws InOutError
// with the reason, the list then being empty.
void ReadTextLines(LineList& list, const std::string& path);

// Creates or replaces the file with every line followed by CR LF, by
// ReplaceFileContent, so that a failure leaves the old file whole. Throws
// FileStreamError "Cannot create file <path>" when it cannot be created or
// may not be written, "Stream write error" when not every byte could be
// written (the old content kept, or put back by the next run). Otherwise
// returns the outcome of ReplaceFileContent: done, changed by another
// program, busy, or a foreign file at one of its own names.
ReplaceOutcome SaveToFile(const LineList& list, const std::string& path, const FileIdentity* expected = nullptr);

}  // namespace celestra
