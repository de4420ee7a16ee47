// Numbers to and from text. None of these reads the C or C++ locale: the
// decimal separator is that of Conventions().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "text/errors.h"

namespace celestra {

// Text to a 32-bit signed integer: leading blanks, then an optional sign and
// decimal digits up to the end, or a hexadecimal form ("$1F", "x1F", "0x1F")
// of at most eight significant digits taken as a two's-complement value.
// Throws ConversionError "'<text>' is not a valid integer value".
std::int32_t TextToInt(std::string_view text);

// TextToInt without the error: false, and `value` untouched, when the text
// does not convert.
bool TryTextToInt(std::string_view text, std::int32_t& value);

// The error of a text that is no integer: "'<text>' is not a valid integer
// value".
ConversionError NotAnIntegerError(std::string_view text);

// Text to the nearest extended-precision value: blanks, an optional sign,
// digits with an optional decimal separator, an optional exponent, blanks.
// Throws ConversionError "'<text>' is not a valid floating point value".
long double TextToFloat(std::string_view text);

// TextToFloat without the error: false, and `value` untouched, when the text
// does not convert.
bool TryTextToFloat(std::string_view text, long double& value);

// Formats a value by a pattern of "0" and "#" placeholders, one "." for the
// decimal point, ";" between the sections for positive, negative and zero
// values, and literals. The value is first rounded to 18 significant digits
// (ties to even), then cut to the pattern's decimals with halves away from
// zero.
std::string FormatFloat(std::string_view pattern, long double value);

struct CompiledPattern;

// A pattern read once, for formatting many values by it: each text is the
// one FormatFloat(pattern, value) gives.
class FloatPattern {
public:
    explicit FloatPattern(std::string_view pattern);
    ~FloatPattern();
    FloatPattern(const FloatPattern&) = delete;
    FloatPattern& operator=(const FloatPattern&) = delete;

    std::string Format(long double value) const;
    // The same into `text`, whose room is reused.
    void Format(long double value, std::string& text) const;

private:
    std::unique_ptr<CompiledPattern> compiled_;
};

// The decimal digits of a number, "-" in front when it is negative.
std::string IntToText(std::int64_t value);

// x less x cut toward zero.
long double FractionalPart(long double x);

}  // namespace celestra
