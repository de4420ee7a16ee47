// The errors that end a user action. Each carries the exact text the user is
// shown; the error box (or the batch command) adds nothing but its full stop.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace celestra {

// Base of every error of the system; what() is the message text.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that does not convert to a number or a date.
class ConversionError : public Error {
public:
    using Error::Error;
};

// The line reader and line writer: a numeric code and its message, which
// names the file concerned ("File access denied: <path>"). The message is
// kept apart from the code because a platform number that falls outside the
// table ("I/O error %d: <path>") may coincide with a table code.
class InOutError : public Error {
public:
    InOutError(int code, const std::string& message);
    int code() const noexcept { return code_; }

    static constexpr int kFileNotFound = 2;
    static constexpr int kInvalidFilename = 3;
    static constexpr int kTooManyOpenFiles = 4;
    static constexpr int kAccessDenied = 5;

    // The error of one of the codes above: its fixed text, then the path.
    static InOutError FromCode(int code, std::string_view path);
    // Any other cause: "I/O error %d: <path>" with the platform's error
    // number.
    static InOutError FromPlatform(int platformNumber, std::string_view path);

private:
    int code_;
};

// The whole-file load and save of a line list.
class FileStreamError : public Error {
public:
    using Error::Error;
};

// A line list that can take no further line.
class ListError : public Error {
public:
    using Error::Error;
};

}  // namespace celestra
