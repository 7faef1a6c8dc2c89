#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Program strings are UTF-16, so lengths and positions count characters as the system does.
namespace platform {

// UTF-8 bytes (argv, file names, file contents) to UTF-16. A byte that is not part of valid
// UTF-8 becomes a lone surrogate U+DC80..U+DCFF, so that any byte string survives the round trip.
std::u16string fromUtf8(std::string_view bytes);

// Whether bytes are strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// The reverse of fromUtf8: lone surrogates U+DC80..U+DCFF turn back into their bytes; other lone
// surrogates, which no UTF-8 can hold, become U+FFFD.
std::string toUtf8(std::u16string_view text);

// The 16-bit counts and positions of the program; fails with an overflow outside -32768..32767.
std::int16_t toInt16(std::int64_t value);

// A single-precision value rounded to a 32-bit integer, halves to the even neighbour (358.5 gives
// 358, 359.5 gives 360); fails with an overflow outside the 32-bit range or for NaN.
std::int32_t roundToInt32(double value);

// 32-bit integer arithmetic that fails with an overflow instead of wrapping.
std::int32_t toInt32(std::int64_t value);

} // namespace platform
