// Between the system's byte texts and the toolkit's strings.
#pragma once

#include <QString>
#include <string>

namespace celestra {

// Bytes as the platform's 8-bit text; where they are no valid UTF-8 (a
// Windows file read on POSIX), as Latin-1, so that no byte becomes a
// replacement mark.
QString FromBytes(const std::string& bytes);

// A field's text as the platform's 8-bit bytes.
std::string ToBytes(const QString& text);

}  // namespace celestra
