// An ordered, never sorted list of text lines, loaded from and saved to a
// whole file.
//
// The lines are views: into the bytes of the file last loaded, which the
// list keeps, or into the list's own copies of the lines added. A list of
// a file's lines therefore costs the file's bytes and one view per line, and
// no line is copied on its way from the file to the file written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/atomic_file.h"
#include "text/platform_file.h"

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
    // A number that changes whenever the lines do, never the same for two
    // states of any lists of the process: what was learnt of the lines at
    // one version holds while the version stays.
    std::uint64_t Version() const { return version_; }

    // Adds a copy of the line at the end. Throws ListError "Unable to insert
    // a line" when the list is full.
    void Add(std::string_view line);
    // Moves the lines of `other` to the end of this list, in order, each
    // added as Add would add it but without copying the lines that `other`
    // holds copies of; `other` is left empty. Throws ListError "Unable to
    // insert a line", after the lines that fit, when the list is full.
    void Append(LineList&& other);
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
        Changed();
    }

    // Refills the list with the lines of a file, split as SplitLines does.
    // Throws FileStreamError "Cannot open file <path>" when it cannot be
    // opened, leaving the list as it was.
    void LoadFromFile(const std::string& path);

    // Refills the list with the lines of a file as the line reader reads
    // them (text_file.h): LF ends a line, a CR is never part of one, a
    // Ctrl-Z at the start of a line ends the file. Throws InOutError, the
    // list then being empty.
    void ReadFromFile(const std::string& path);

    // The whole content of the file last loaded or read, as read; empty
    // after Clear.
    std::string_view LoadedBytes() const { return loaded_.View(); }

    // Creates or replaces the file with every line followed by CR LF, by
    // ReplaceFileContent, so that a failure leaves the old file whole. Throws
    // FileStreamError "Cannot create file <path>" when it cannot be created
    // or may not be written, "Stream write error" when not every byte could
    // be written (the old content kept, or put back by the next run).
    // Otherwise returns kDone; kChanged when `expected` is given and another
    // program changed the file (ReplaceFileContent); kBusy when another
    // process held the temporary file for the whole wait.
    ReplaceOutcome::Stage SaveToFile(const std::string& path, const FileIdentity* expected = nullptr) const;

private:
    void Changed();
    // A copy of `line` in the list's own storage.
    std::string_view Keep(std::string_view line);

    std::vector<std::string_view> lines_;
    FileBytes loaded_;                             // the file's bytes; moves keep them in place
    std::vector<std::unique_ptr<char[]>> blocks_;  // copies of added lines
    char* blockNext_ = nullptr;
    std::size_t blockRoom_ = 0;
    std::size_t maxCount_;
    std::uint64_t version_ = 0;
};

}  // namespace celestra
