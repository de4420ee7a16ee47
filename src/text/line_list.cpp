#include "text/line_list.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "text/errors.h"
#include "text/fixed_texts.h"

namespace celestra {
namespace {

[[noreturn]] void ThrowFull() { throw ListError(kListFull); }

// Added lines are copied into blocks of this size; a longer line gets one of
// its own.
constexpr std::size_t kBlockBytes = 1 << 20;

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kCtrlZ = 26;

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* start = begin;
    // The next LF, then any CR before it: most lines hold no CR but the one
    // of their CR LF, and both searches run over whole lines at once.
    while (start < end) {
        const auto* lineFeed =
            static_cast<const char*>(std::memchr(start, kLineFeed, static_cast<std::size_t>(end - start)));
        const char* stop = lineFeed != nullptr ? lineFeed : end;
        const auto* carriageReturn =
            static_cast<const char*>(std::memchr(start, kCarriageReturn, static_cast<std::size_t>(stop - start)));
        if (carriageReturn != nullptr) {
            lines.emplace_back(start, static_cast<std::size_t>(carriageReturn - start));
            // CR LF is one line end; a lone CR is one of its own.
            start = carriageReturn + (carriageReturn + 1 == lineFeed ? 2 : 1);
            continue;
        }
        lines.emplace_back(start, static_cast<std::size_t>(stop - start));
        start = stop + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string_view>& lines) {
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const auto& line : lines) {
        bytes.append(line);
        bytes.append("\r\n", 2);
    }
    return bytes;
}

std::string_view LineList::Keep(std::string_view line) {
    if (line.size() > blockRoom_) {
        const std::size_t size = std::max(kBlockBytes, line.size());
        blocks_.push_back(std::unique_ptr<char[]>(new char[size]));  // filled by the copies, not zeroed
        blockNext_ = blocks_.back().get();
        blockRoom_ = size;
    }
    if (!line.empty()) std::memcpy(blockNext_, line.data(), line.size());
    const std::string_view kept(blockNext_, line.size());
    blockNext_ += line.size();
    blockRoom_ -= line.size();
    return kept;
}

void LineList::Add(std::string_view line) {
    if (lines_.size() >= maxCount_) ThrowFull();
    lines_.push_back(Keep(line));
}

void LineList::Replace(std::size_t index, std::string_view line) { lines_.at(index) = Keep(line); }

void LineList::Delete(std::size_t index) {
    if (index >= lines_.size()) throw ListError(kListIndexBefore + std::to_string(index) + ")");
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
}

void LineList::Clear() {
    lines_.clear();
    loaded_ = ByteBuffer();
    blocks_.clear();
    blockNext_ = nullptr;
    blockRoom_ = 0;
}

void LineList::LoadRawLines(ByteBuffer bytes) {
    std::vector<std::string_view> lines = SplitLines(bytes.View());
    if (lines.size() > maxCount_) ThrowFull();
    Clear();
    loaded_ = std::move(bytes);
    lines_ = std::move(lines);
}

void LineList::LoadTextLines(ByteBuffer bytes) {
    Clear();
    loaded_ = std::move(bytes);
    const std::string_view all = loaded_.View();
    std::size_t start = 0;
    while (start < all.size() && all[start] != kCtrlZ) {
        std::size_t stop = all.find(kLineFeed, start);
        if (stop == std::string_view::npos) stop = all.size();
        std::string_view line = all.substr(start, stop - start);
        if (!line.empty() && line.back() == kCarriageReturn) line.remove_suffix(1);
        if (line.find(kCarriageReturn) != std::string_view::npos) {  // a lone CR: dropped from the line
            std::string without(line);
            std::erase(without, kCarriageReturn);
            line = Keep(without);
        }
        if (lines_.size() >= maxCount_) {
            Clear();
            ThrowFull();
        }
        lines_.push_back(line);
        start = stop + 1;
    }
}

}  // namespace celestra
