#include "support/binary_stream.h"

#include <bit>

namespace celestra::testing {

BigEndianWriter& BigEndianWriter::Unsigned(std::uint64_t value, int size) {
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) bytes_ += static_cast<char>(value >> shift & 0xFF);
    return *this;
}

BigEndianWriter& BigEndianWriter::NullFlags(std::initializer_list<bool> nulls) {
    std::size_t bit = 0;
    unsigned byte = 0;
    for (const bool null : nulls) {
        if (null) byte |= 0x80u >> (bit % 8);
        if (++bit % 8 == 0) {
            bytes_ += static_cast<char>(byte);
            byte = 0;
        }
    }
    if (bit % 8 != 0) bytes_ += static_cast<char>(byte);
    return *this;
}

BigEndianWriter& BigEndianWriter::Byte(std::uint8_t value) { return Unsigned(value, 1); }
BigEndianWriter& BigEndianWriter::Short(std::int16_t value) { return Unsigned(static_cast<std::uint16_t>(value), 2); }
BigEndianWriter& BigEndianWriter::Int(std::int32_t value) { return Unsigned(static_cast<std::uint32_t>(value), 4); }
BigEndianWriter& BigEndianWriter::Long(std::int64_t value) { return Unsigned(static_cast<std::uint64_t>(value), 8); }
BigEndianWriter& BigEndianWriter::Float(float value) { return Unsigned(std::bit_cast<std::uint32_t>(value), 4); }
BigEndianWriter& BigEndianWriter::Double(double value) { return Unsigned(std::bit_cast<std::uint64_t>(value), 8); }
BigEndianWriter& BigEndianWriter::Count(std::uint32_t elements) { return Unsigned(elements, 4); }

BigEndianWriter& BigEndianWriter::Bytes(std::string_view bytes) {
    bytes_ += bytes;
    return *this;
}

BigEndianWriter& BigEndianWriter::Units(std::u16string_view units) {
    for (const char16_t unit : units) Unsigned(unit, 2);
    return *this;
}

std::string Base64(std::string_view bytes, std::size_t lineLength) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    std::size_t onLine = 0;
    const auto put = [&](char c) {
        if (lineLength > 0 && onLine == lineLength) {
            text += '\n';
            onLine = 0;
        }
        text += c;
        ++onLine;
    };
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (left > 1) group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (left > 2) group |= static_cast<unsigned char>(bytes[i + 2]);
        put(kAlphabet[group >> 18 & 63]);
        put(kAlphabet[group >> 12 & 63]);
        put(left > 1 ? kAlphabet[group >> 6 & 63] : '=');
        put(left > 2 ? kAlphabet[group & 63] : '=');
    }
    return text;
}

}  // namespace celestra::testing
