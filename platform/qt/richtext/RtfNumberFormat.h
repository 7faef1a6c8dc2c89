#pragma once

#include <cstdint>

#include <QString>

namespace qtbackend {

// The number formats of \levelnfc (and of Word 6's \pndec, \pnucrm, ...) that lists print.
enum class RtfNumberFormat : std::int32_t {
    Decimal = 0,
    UpperRoman = 1,
    LowerRoman = 2,
    UpperLetter = 3,
    LowerLetter = 4,
    Ordinal = 5,      // 1st, 2nd
    CardinalText = 6, // One, Two
    OrdinalText = 7,  // First, Second
    Chicago = 9,      // *, †, ‡, §, **, ††, ...: footnotes' \ftnnchi
    FullWidth = 14,
    Circled = 18,
    FullWidthArabic = 19,
    DecimalZero = 22, // 01, 02
    Bullet = 23,      // no number at all
    NoNumber = 255,
};

// Value written in format. Formats without a rule of their own (most East Asian and right to
// left counting systems) print as decimal, as do values a format cannot show (Roman numerals
// past 3999, letters past 30 repeats). Bullet and NoNumber give an empty string.
QString formatListNumber(std::int64_t value, RtfNumberFormat format);

} // namespace qtbackend
