// Text files read and written line by line. Each step reports its own
// failure at once as an InOutError; after one, leave the file alone.
#pragma once

#include <string>
#include <string_view>

#include "platform/line_list_file.h"
#include "platform/os_file.h"
#include "text/line_list.h"

namespace celestra {

// Lines end at LF; a CR is never part of a line (before LF it belongs to the
// line end, anywhere else it is dropped). A Ctrl-Z at the start of a line
// ends the file. The file is read whole when opened: the files read this
// way (the settings) are a few lines long.
class LineReader {
public:
    // Reads an existing file.
    explicit LineReader(const std::string& path) { ReadTextLines(lines_, path); }

    // True when no line is left (or the next one began with Ctrl-Z).
    bool Eof() const { return next_ >= lines_.Count(); }
    // The next line without its line end; at the end of the file, the empty
    // line, however often it is asked for.
    std::string ReadLine() { return Eof() ? std::string() : std::string(lines_[next_++]); }
    void Close() {}

private:
    LineList lines_;
    std::size_t next_ = 0;
};

// Every line written ends in CR LF.
class LineWriter {
public:
    // Creates the file, or empties an existing one, at once.
    explicit LineWriter(const std::string& path);

    void WriteLine(std::string_view line);
    void Close();

private:
    std::string path_;
    OsFile file_;
};

}  // namespace celestra
