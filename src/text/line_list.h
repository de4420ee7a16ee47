// An ordered, never sorted list of text lines, loaded from and saved to a
// whole file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/platform_file.h"

namespace celestra {

// Splits file bytes into lines at CR LF, a lone CR and a lone LF; a line end
// at the very end adds no empty line. Every other byte, NUL and Ctrl-Z
// included, is an ordinary byte of its line.
std::vector<std::string> SplitLines(std::string_view bytes);

// The lines each followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

class LineList {
public:
    // The most lines a list holds, as many as a 32-bit program could index.
    static constexpr std::size_t kMaxCount = 134217727;

    explicit LineList(std::size_t maxCount = kMaxCount) : maxCount_(maxCount) {}

    std::size_t Count() const { return lines_.size(); }
    const std::string& operator[](std::size_t index) const { return lines_[index]; }
    const std::vector<std::string>& Lines() const { return lines_; }

    // Throws ListError "Unable to insert a line" when the list is full.
    void Add(std::string line);
    void Delete(std::size_t index);
    void Clear() { lines_.clear(); }

    // Removes every line for which `remove` is true; the others keep their
    // order.
    template <typename Predicate>
    void RemoveIf(Predicate remove) {
        std::erase_if(lines_, remove);
    }

    // Refills the list with the lines of a file. Throws FileStreamError
    // "Cannot open file <path>" when it cannot be opened, leaving the list
    // as it was. `seen`, when given, receives what was read.
    void LoadFromFile(const std::string& path, ContentSeen* seen = nullptr);

    // Creates or replaces the file with every line followed by CR LF, by
    // ReplaceFileContent, so that a failure leaves the old file whole. Throws
    // FileStreamError "Cannot create file <path>" when it cannot be created
    // or may not be written, "Stream write error" when not every byte could
    // be written. Returns false, having written nothing, when `expected` is
    // given and the file is no longer in that state.
    bool SaveToFile(const std::string& path, const FileIdentity* expected = nullptr) const;

private:
    std::vector<std::string> lines_;
    std::size_t maxCount_;
};

}  // namespace celestra
