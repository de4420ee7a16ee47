// Between the system's byte texts and Qt's strings: the one place where
// the window's text becomes the core's bytes and back (see path_text.h).
#pragma once

#include <QString>
#include <string>

namespace celestra {

// Bytes for an editable field (a path): every byte comes back unchanged
// through ToBytes.
QString FromBytes(const std::string& bytes);

// A field's text as the bytes the core works on.
std::string ToBytes(const QString& text);

// A local file's path as the fields hold it, whether chosen in a dialog or
// dropped: absolute, with '/' between folders, as bytes.
std::string FilePathBytes(const QString& path);

// Bytes for a box that is only read: an older single-byte text shows its
// letters.
QString DisplayText(const std::string& bytes);

}  // namespace celestra
