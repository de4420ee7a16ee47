// Between the core's byte texts (paths, designations) and a toolkit's
// UTF-16 text, without losing a byte. Valid UTF-8 becomes the characters it
// encodes; every byte that is not part of valid UTF-8 (a Latin-1 "ñ" in an
// older settings file, say) becomes the lone surrogate U+DC00 + byte, and
// comes back as that byte. So a path shown in a field and read back
// unedited has its bytes unchanged, and whatever the user types around it
// is stored as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace celestra {

// Bytes to UTF-16: valid UTF-8 decoded, other bytes escaped.
std::u16string BytesToFieldText(std::string_view bytes);

// The inverse: UTF-16 to UTF-8, escaped bytes restored. A lone surrogate
// that is no escape (never typed, but possible in pasted text) becomes "?".
std::string FieldTextToBytes(std::u16string_view text);

// Bytes for reading only (a message box): valid UTF-8 decoded, otherwise
// every byte read as Latin-1, so that an old file's "ñ" shows as "ñ".
std::u16string BytesToDisplayText(std::string_view bytes);

// A path as typed or pasted into a path field, ready for the run. Windows
// Explorer's "Copy as path" puts the path between double quotes
// ("C:\data\comet.dat"), which no file name of Windows can hold. When the
// text names no file and the text without one pair of surrounding double
// quotes does, that; otherwise the text unchanged (an unbalanced quote, an
// empty "", a name that exists with its quotes, as it may on Linux, or one
// that exists in neither form, which the run then reports as typed).
std::string PathWithoutCopiedQuotes(const std::string& path);

}  // namespace celestra
