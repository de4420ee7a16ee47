// A block of bytes filled once by whoever made it, never zeroed first.
// Moving it keeps the bytes where they are, so views into it stay valid.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>

namespace celestra {

class ByteBuffer {
public:
    ByteBuffer() = default;
    // Takes `data`, of which the first `sizeBytes` are the content.
    ByteBuffer(std::unique_ptr<char[]> data, std::size_t sizeBytes) : data_(std::move(data)), size_(sizeBytes) {}

    std::string_view View() const { return {data_.get(), size_}; }
    std::size_t Size() const { return size_; }

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
};

}  // namespace celestra
