// Text files read and written line by line. Each step reports its own
// failure at once as an InOutError; after one, leave the file alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/os_file.h"
#include "platform/platform_file.h"

namespace celestra {

// Lines end at LF; a CR is never part of a line (before LF it belongs to the
// line end, anywhere else it is dropped). A Ctrl-Z at the start of a line
// ends the file.
class LineReader {
public:
    // Opens an existing file for reading.
    explicit LineReader(const std::string& path);

    // True when no byte is left or the next line starts with Ctrl-Z.
    bool Eof();
    // The next line without its line end; at the end of the file, the empty
    // line, however often it is asked for.
    std::string ReadLine();
    void Close();

private:
    // Refills the buffer when it is used up; false at the end of the file.
    bool Fill();

    std::string path_;
    OsFile file_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;  // a Ctrl-Z ended the file, or no byte is left
};

// Every line written ends in CR LF. Lines are gathered and written out in
// pieces, so a failure may surface at a later line or at Close.
class LineWriter {
public:
    // Creates the file, or empties an existing one, at once.
    explicit LineWriter(const std::string& path);

    void WriteLine(std::string_view line);
    void Close();

private:
    // Writes out what is gathered.
    void WriteOut();

    std::string path_;
    OsFile file_;
    std::string pending_;
};

}  // namespace celestra
