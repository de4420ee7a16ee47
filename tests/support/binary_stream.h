// Test helpers: the bytes of a VOTable's binary rows (numbers most
// significant byte first, a count before each variable array, the BINARY2
// null flags) and the base64 text that carries them in a STREAM, written
// from values so that a test's expected cells come from those values, not
// from the reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace celestra::testing {

class BigEndianWriter {
public:
    // One bit per column, set for a null, the first column in the first
    // byte's most significant bit.
    BigEndianWriter& NullFlags(std::initializer_list<bool> nulls);
    BigEndianWriter& Byte(std::uint8_t value);
    BigEndianWriter& Short(std::int16_t value);
    BigEndianWriter& Int(std::int32_t value);
    BigEndianWriter& Long(std::int64_t value);
    BigEndianWriter& Float(float value);
    BigEndianWriter& Double(double value);
    // A variable array's count of elements.
    BigEndianWriter& Count(std::uint32_t elements);
    // Bytes as they are: chars, booleans.
    BigEndianWriter& Bytes(std::string_view bytes);
    // UTF-16 code units, two bytes each.
    BigEndianWriter& Units(std::u16string_view units);

    const std::string& bytes() const { return bytes_; }

private:
    BigEndianWriter& Unsigned(std::uint64_t value, int size);

    std::string bytes_;
};

// RFC 4648 base64 with '=' padding, a line end after every `lineLength`
// characters (none for 0).
std::string Base64(std::string_view bytes, std::size_t lineLength = 76);

}  // namespace celestra::testing
