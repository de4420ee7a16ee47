#include "ui/path_text.h"

#include "platform/platform_file.h"

namespace celestra {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // U+DC80..U+DCFF carry the bytes 0x80..0xFF

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of the valid UTF-8 sequence at `at`, and its length in
// bytes; length 0 when the bytes there are no valid sequence (overlong
// forms, encoded surrogates and values past U+10FFFF included, so that
// re-encoding a decoded text always gives the same bytes).
struct Decoded {
    char32_t codePoint;
    std::size_t length;
};

Decoded DecodeAt(std::string_view bytes, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    char32_t codePoint = 0, minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        return {0, 0};
    }
    if (at + length > bytes.size()) return {0, 0};
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(byte(i))) return {0, 0};
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || surrogate || codePoint > 0x10FFFF) return {0, 0};
    return {codePoint, length};
}

void AppendUtf16(std::u16string& text, char32_t codePoint) {
    if (codePoint < 0x10000) {
        text += static_cast<char16_t>(codePoint);
    } else {
        codePoint -= 0x10000;
        text += static_cast<char16_t>(0xD800 + (codePoint >> 10));
        text += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    }
}

void AppendUtf8(std::string& bytes, char32_t codePoint) {
    const auto put = [&](unsigned value) { bytes += static_cast<char>(value); };
    if (codePoint < 0x80) {
        put(codePoint);
    } else if (codePoint < 0x800) {
        put(0xC0 | (codePoint >> 6)), put(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        put(0xE0 | (codePoint >> 12)), put(0x80 | ((codePoint >> 6) & 0x3F)), put(0x80 | (codePoint & 0x3F));
    } else {
        put(0xF0 | (codePoint >> 18)), put(0x80 | ((codePoint >> 12) & 0x3F));
        put(0x80 | ((codePoint >> 6) & 0x3F)), put(0x80 | (codePoint & 0x3F));
    }
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::u16string BytesToFieldText(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const Decoded decoded = DecodeAt(bytes, at);
        if (decoded.length == 0) {
            text += static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[at]));
            ++at;
        } else {
            AppendUtf16(text, decoded.codePoint);
            at += decoded.length;
        }
    }
    return text;
}

std::string FieldTextToBytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at];
        if (IsHighSurrogate(unit) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
            AppendUtf8(bytes, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[at + 1] - 0xDC00));
            ++at;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            bytes += static_cast<char>(unit - kEscapeBase);
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            bytes += '?';
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

std::u16string BytesToDisplayText(std::string_view bytes) {
    std::u16string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const Decoded decoded = DecodeAt(bytes, at);
        if (decoded.length == 0) {
            // Not UTF-8 as a whole: an older single-byte text.
            text.clear();
            for (const char c : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(c));
            return text;
        }
        AppendUtf16(text, decoded.codePoint);
        at += decoded.length;
    }
    return text;
}

std::string PathWithoutCopiedQuotes(const std::string& path) {
    const bool quoted = path.size() >= 2 && path.front() == '"' && path.back() == '"';
    if (!quoted || FileExists(path)) return path;
    std::string inner = path.substr(1, path.size() - 2);
    return FileExists(inner) ? inner : path;
}

}  // namespace celestra
