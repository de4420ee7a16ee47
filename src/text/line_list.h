// An ordered, never sorted list of text lines, made from a whole file's
// bytes (line_list_file.h loads and saves them).
//
// The lines are views: into the bytes of the file last loaded, which the
// list keeps, or into the list's own copies of the lines added. A list of
// a file's lines therefore costs the file's bytes and one view per line, and
// no line is copied on its way from the file to the file written.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/byte_buffer.h"

namespace celestra {

// Splits file bytes into lines at CR LF, a lone CR and a lone LF; a line end
// at the very end adds no empty line. Every other byte, NUL and Ctrl-Z
// included, is an ordinary byte of its line. The lines are views into
// `bytes`.
std::vector<std::string_view> SplitLines(std::string_view bytes);

// The lines each followed by CR LF.
std::string JoinLines(const std::vector<std::string_view>& lines);

class LineList {
public:
    // The most lines a list holds, as many as a 32-bit program could index.
    static constexpr std::size_t kMaxCount = 134217727;

    explicit LineList(std::size_t maxCount = kMaxCount) : maxCount_(maxCount) {}
    LineList(LineList&&) noexcept = default;
    LineList& operator=(LineList&&) noexcept = default;
    LineList(const LineList&) = delete;
    LineList& operator=(const LineList&) = delete;

    std::size_t Count() const { return lines_.size(); }
    // A view valid until the list is cleared, reloaded or destroyed.
    std::string_view operator[](std::size_t index) const { return lines_[index]; }
    const std::vector<std::string_view>& Lines() const { return lines_; }

    // Adds a copy of the line at the end. Throws ListError "Unable to insert
    // a line" when the list is full.
    void Add(std::string_view line);
    // Puts a copy of `line` in the place of the line at `index`.
    void Replace(std::size_t index, std::string_view line);
    void Delete(std::size_t index);
    void Clear();

    // Removes every line for which `remove` is true, asking once for each
    // line, in order; the others keep their order.
    template <typename Predicate>
    void RemoveIf(Predicate remove) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (!remove(lines_[i])) lines_[kept++] = lines_[i];
        }
        if (kept == lines_.size()) return;
        lines_.resize(kept);
    }

    // Refills the list with the lines of a file's bytes, split as SplitLines
    // does. Throws ListError "Unable to insert a line", leaving the list as
    // it was, when they are more than the list holds.
    void LoadRawLines(ByteBuffer bytes);

    // Refills the list with the lines of a file's bytes as the line reader
    // reads them (text_file.h): LF ends a line, a CR is never part of one, a
    // Ctrl-Z at the start of a line ends the file. Throws ListError, the list
    // then being empty.
    void LoadTextLines(ByteBuffer bytes);

    // The whole content of the bytes last loaded, as read; empty after Clear.
    std::string_view LoadedBytes() const { return loaded_.View(); }

private:
    // A copy of `line` in the list's own storage.
    std::string_view Keep(std::string_view line);

    std::vector<std::string_view> lines_;
    ByteBuffer loaded_;                            // the file's bytes; moves keep them in place
    std::vector<std::unique_ptr<char[]>> blocks_;  // copies of added lines
    char* blockNext_ = nullptr;
    std::size_t blockRoom_ = 0;
    std::size_t maxCount_;
};

}  // namespace celestra
