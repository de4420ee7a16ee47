// Line lists loaded from and saved to whole files.
#pragma once

#include <string>

#include "platform/platform_file.h"
#include "platform/safe_write.h"
#include "text/line_list.h"

namespace celestra {

// Refills the list with the lines of a file, split as SplitLines does.
// Throws FileStreamError "Cannot open file <path>" when it cannot be opened,
// leaving the list as it was.
void LoadFromFile(LineList& list, const std::string& path);

// Refills the list with the lines of a file as the line reader reads them
// (LineList::LoadAsRead). Throws InOutError, the list then being empty.
void ReadFromFile(LineList& list, const std::string& path);

// Creates or replaces the file with every line followed by CR LF, by
// ReplaceFileContent, so that a failure leaves the old file whole. Throws
// FileStreamError "Cannot create file <path>" when it cannot be created or
// may not be written, "Stream write error" when not every byte could be
// written (the old content kept, or put back by the next run). Otherwise
// returns the outcome of ReplaceFileContent: done, changed by another
// program, busy, or a foreign file at one of its own names.
ReplaceOutcome SaveToFile(const LineList& list, const std::string& path, const FileIdentity* expected = nullptr);

}  // namespace celestra
