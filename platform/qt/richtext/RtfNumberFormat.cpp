#include "platform/qt/richtext/RtfNumberFormat.h"

#include <array>
#include <string>
#include <string_view>

namespace qtbackend {

namespace {

constexpr std::int64_t MaxRoman = 3999;
constexpr std::int64_t MaxLetterRepeats = 30;
constexpr std::int64_t MaxWords = 999999;

QString roman(std::int64_t value, bool upper) {
    static constexpr std::array<std::pair<int, std::string_view>, 13> Steps = {{
        {1000, "m"},
        {900, "cm"},
        {500, "d"},
        {400, "cd"},
        {100, "c"},
        {90, "xc"},
        {50, "l"},
        {40, "xl"},
        {10, "x"},
        {9, "ix"},
        {5, "v"},
        {4, "iv"},
        {1, "i"},
    }};
    std::string text;
    for (const auto& [step, letters] : Steps) {
        for (; value >= step; value -= step) {
            text += letters;
        }
    }
    const QString result = QString::fromLatin1(text);
    return upper ? result.toUpper() : result;
}

// A, B, ... Z, AA, BB, ... as Word counts.
QString letters(std::int64_t value, bool upper) {
    const auto repeats = static_cast<int>((value - 1) / 26 + 1);
    const auto letter = static_cast<char16_t>((upper ? u'A' : u'a') + (value - 1) % 26);
    return QString(repeats, QChar(letter));
}

QString ordinal(std::int64_t value) {
    const std::int64_t lastTwo = value % 100;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        switch (value % 10) {
        case 1:
            suffix = "st";
            break;
        case 2:
            suffix = "nd";
            break;
        case 3:
            suffix = "rd";
            break;
        default:
            break;
        }
    }
    return QString::number(value) + QLatin1String(suffix);
}

QString wordsBelowThousand(int value) {
    static constexpr std::array<const char*, 20> Ones = {
        "zero",     "one",     "two",     "three",     "four",     "five",    "six",
        "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",  "thirteen",
        "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
    static constexpr std::array<const char*, 10> Tens = {
        "", "", "twenty", "thirty", "forty", "fifty", "sixty", "seventy", "eighty", "ninety"};
    QString text;
    if (value >= 100) {
        text = QLatin1String(Ones[value / 100]) + QLatin1String(" hundred");
        value %= 100;
        if (value == 0) {
            return text;
        }
        text += u' ';
    }
    if (value < 20) {
        return text + QLatin1String(Ones[value]);
    }
    text += QLatin1String(Tens[value / 10]);
    if (value % 10 != 0) {
        text += u'-' + QLatin1String(Ones[value % 10]);
    }
    return text;
}

QString cardinalWords(std::int64_t value) {
    if (value < 1000) {
        return wordsBelowThousand(static_cast<int>(value));
    }
    QString text = wordsBelowThousand(static_cast<int>(value / 1000)) + QLatin1String(" thousand");
    if (value % 1000 != 0) {
        text += u' ' + wordsBelowThousand(static_cast<int>(value % 1000));
    }
    return text;
}

// The last word of a cardinal number turned ordinal: one → first, twenty → twentieth.
QString ordinalWords(std::int64_t value) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> Irregular = {{
        {"one", "first"},
        {"two", "second"},
        {"three", "third"},
        {"five", "fifth"},
        {"eight", "eighth"},
        {"nine", "ninth"},
    }};
    QString text = cardinalWords(value);
    const qsizetype start = std::max(text.lastIndexOf(u' '), text.lastIndexOf(u'-')) + 1;
    const QString last = text.mid(start);
    text.truncate(start);
    for (const auto& [cardinal, ordinal] : Irregular) {
        if (last == QLatin1String(cardinal)) {
            return text + QLatin1String(ordinal);
        }
    }
    if (last == QLatin1String("twelve")) {
        return text + QLatin1String("twelfth");
    }
    if (last.endsWith(u'y')) {
        return text + last.chopped(1) + QLatin1String("ieth");
    }
    return text + last + QLatin1String("th");
}

QString capitalized(QString text) {
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}

QString fullWidth(std::int64_t value) {
    QString text = QString::number(value);
    for (QChar& c : text) {
        c = QChar(static_cast<char16_t>(c.unicode() - u'0' + 0xFF10));
    }
    return text;
}

// *, †, ‡, §, then each doubled, tripled, ...
QString chicago(std::int64_t value) {
    static constexpr std::array<char16_t, 4> Marks = {u'*', u'\u2020', u'\u2021', u'\u00a7'};
    const auto repeats = static_cast<int>((value - 1) / 4 + 1);
    return QString(repeats, QChar(Marks[static_cast<std::size_t>((value - 1) % 4)]));
}

// ① to ㊿; past 50 the plain number.
QString circled(std::int64_t value) {
    if (value <= 20) {
        return QChar(static_cast<char16_t>(0x2460 + value - 1));
    }
    if (value <= 35) {
        return QChar(static_cast<char16_t>(0x3251 + value - 21));
    }
    return QChar(static_cast<char16_t>(0x32B1 + value - 36));
}

} // namespace

QString formatListNumber(std::int64_t value, RtfNumberFormat format) {
    using F = RtfNumberFormat;
    if (format == F::Bullet || format == F::NoNumber) {
        return {};
    }
    const bool positive = value > 0;
    switch (format) {
    case F::UpperRoman:
    case F::LowerRoman:
        if (positive && value <= MaxRoman) {
            return roman(value, format == F::UpperRoman);
        }
        break;
    case F::UpperLetter:
    case F::LowerLetter:
        if (positive && value <= 26 * MaxLetterRepeats) {
            return letters(value, format == F::UpperLetter);
        }
        break;
    case F::Chicago:
        if (positive && value <= 4 * MaxLetterRepeats) {
            return chicago(value);
        }
        break;
    case F::Ordinal:
        return value >= 0 ? ordinal(value) : QString::number(value);
    case F::CardinalText:
    case F::OrdinalText:
        if (positive && value <= MaxWords) {
            return capitalized(format == F::CardinalText ? cardinalWords(value)
                                                         : ordinalWords(value));
        }
        break;
    case F::FullWidth:
    case F::FullWidthArabic:
        if (value >= 0) {
            return fullWidth(value);
        }
        break;
    case F::Circled:
        if (positive && value <= 50) {
            return circled(value);
        }
        break;
    case F::DecimalZero:
        if (value >= 0 && value < 10) {
            return QLatin1Char('0') + QString::number(value);
        }
        break;
    default:
        break;
    }
    return QString::number(value);
}

} // namespace qtbackend
