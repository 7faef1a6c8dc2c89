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
    IdeographDigital = 10,
    JapaneseCounting = 11,
    Aiueo = 12, // half-width katakana
    Iroha = 13,
    FullWidth = 14,
    JapaneseLegal = 16,
    Circled = 18,
    FullWidthArabic = 19,
    AiueoFullWidth = 20,
    IrohaFullWidth = 21,
    DecimalZero = 22, // 01, 02
    Bullet = 23,      // no number at all
    Ganada = 24,
    Chosung = 25,
    EnclosedFullStop = 26,
    EnclosedParenthesis = 27,
    EnclosedCircleChinese = 28,
    IdeographEnclosedCircle = 29,
    IdeographTraditional = 30, // the ten heavenly stems
    IdeographZodiac = 31,      // the twelve earthly branches
    IdeographZodiacTraditional = 32,
    TaiwaneseCounting = 33,
    IdeographLegalTraditional = 34,
    TaiwaneseCountingThousand = 35,
    TaiwaneseDigital = 36,
    ChineseCounting = 37,
    ChineseLegalSimplified = 38,
    ChineseCountingThousand = 39,
    KoreanDigital = 41,
    KoreanCounting = 42,
    KoreanLegal = 43,
    KoreanDigital2 = 44,
    Hebrew1 = 45, // letters that add up to the value
    ArabicAlpha = 46,
    Hebrew2 = 47,
    ArabicAbjad = 48,
    NoNumber = 255,
};

// Value written in format. Formats without a rule of their own print as decimal, as do values a
// format cannot show (Roman numerals past 3999, letters past 30 repeats, East Asian counting past
// 99,999,999). Bullet and NoNumber give an empty string.
QString formatListNumber(std::int64_t value, RtfNumberFormat format);

// Whether format is one of those above, which print as they should; another prints as decimal.
bool knownNumberFormat(RtfNumberFormat format);

} // namespace qtbackend
