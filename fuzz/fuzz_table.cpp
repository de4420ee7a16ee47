// The table readers on arbitrary bytes, as each kind and as the run tells
// them: every input is read or refused with where and why, never anything
// else; an object read has a key of at most eight characters and a place
// on the sky.
#include <cmath>
#include <cstdint>
#include <string>

#include "core/object_table.h"
#include "fuzz_support.h"

using namespace celestra;

namespace {

class BytesSource final : public ByteSource {
public:
    BytesSource(const std::uint8_t* data, std::size_t size, std::size_t pieceBytes)
        : data_(data), size_(size), pieceBytes_(pieceBytes) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        std::size_t count = size < pieceBytes_ ? size : pieceBytes_;
        if (count > size_ - given_) count = size_ - given_;
        for (std::size_t i = 0; i < count; ++i) buffer[i] = static_cast<char>(data_[given_ + i]);
        given_ += count;
        return count;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pieceBytes_;
    std::size_t given_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the kind and the size of the pieces.
    if (size == 0) return 0;
    constexpr TableKind kKinds[] = {TableKind::kCsv, TableKind::kVizierTsv, TableKind::kEcsv, TableKind::kVoTable};
    const TableKind kind = kKinds[data[0] % 4];
    const std::size_t pieceBytes = 1 + data[0] / 4;
    BytesSource source(data + 1, size - 1, pieceBytes);
    try {
        const ObjectTable table = ReadObjectTable(kind, source, std::nullopt, "t");
        for (const ListedObject& object : table.objects) {
            FUZZ_CHECK(object.place.designation.size() == 8);
            FUZZ_CHECK(std::isfinite(object.place.raRad) && std::isfinite(object.place.decRad));
            FUZZ_CHECK(std::fabs(object.place.decRad) <= 1.5707963267948966 + 1e-12);
        }
        FUZZ_CHECK(table.objects.empty() || !table.magnitudeColumn.empty());
    } catch (const ObjectListError& error) {
        FUZZ_CHECK(error.text().rfind("Error de formato para ", 0) == 0 &&
                   error.text().find('\n') != std::string::npos);
    }
    return 0;
}
