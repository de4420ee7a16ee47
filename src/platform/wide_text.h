// Windows only: the program keeps every text in UTF-8 and speaks to the
// system through its wide (UTF-16) functions, so that a name in any script
// works whatever the system's ANSI code page. These are the conversions at
// that border, and the one place a path becomes the system's form.
#pragma once

#include <string>
#include <string_view>

namespace celestra {

// UTF-8 to UTF-16. Bytes that are not UTF-8 are taken one by one as
// characters of the system's ANSI code page, so that a text that came from
// an older file or an A function still names what it named.
std::wstring WideText(std::string_view utf8);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8Text(std::wstring_view wide);

// A path as the wide file functions take it: WideText, with the "\\?\"
// form ("\\?\UNC\" for a network path) for an absolute path too long for
// the classic limit of 260 characters, whose separators are then made
// backslashes. Relative paths and paths already in that form are unchanged.
std::wstring WidePath(std::string_view utf8Path);

// The text in the system's ANSI code page, when every character has a
// place there; false otherwise.
bool TryAnsiText(std::string_view utf8, std::string& ansi);

// Bytes of the system's ANSI code page as UTF-8, read as that code page
// whatever they look like (a name in GBK can also form UTF-8).
std::string Utf8FromAnsi(std::string_view ansi);

}  // namespace celestra
