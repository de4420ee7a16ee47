// What the conversions may assume of long double, decided once.
#pragma once

#include <cfloat>

// Long double is the x87 extended format: a 64-bit significand with an
// explicit leading bit, read and written through its bytes (GCC and Clang on
// x86; MSVC's long double is a double).
#if LDBL_MANT_DIG == 64 && (defined(__x86_64__) || defined(__i386__))
#define CELESTRA_X87_EXTENDED 1
#else
#define CELESTRA_X87_EXTENDED 0
#endif

namespace celestra {

inline constexpr bool kX87ExtendedFormat = CELESTRA_X87_EXTENDED != 0;

// Extended arithmetic rounds to those 64 bits, so that one operation on
// exact operands gives the nearest extended value. POSIX systems leave the
// x87 precision control there; Windows runtimes set it to 53 bits.
#ifdef _WIN32
inline constexpr bool kExactExtendedArithmetic = false;
#else
inline constexpr bool kExactExtendedArithmetic = kX87ExtendedFormat;
#endif

}  // namespace celestra
