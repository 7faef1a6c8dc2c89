#include "platform/qt/richtext/RtfNumberFormat.h"

#include <array>
#include <optional>
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

// A letter of a set, past its end the set again from its start (as Word counts in kana).
QString cycled(std::int64_t value, std::u16string_view set) {
    return QChar(set[static_cast<std::size_t>((value - 1) % std::int64_t(set.size()))]);
}

// Past the set's end two letters, then three, like the columns of a spreadsheet.
QString bijective(std::int64_t value, std::u16string_view set) {
    const auto size = std::int64_t(set.size());
    QString text;
    for (; value > 0; value = (value - 1) / size) {
        text.prepend(QChar(set[static_cast<std::size_t>((value - 1) % size)]));
    }
    return text;
}

// Digit by digit: 10 is 一〇.
QString digital(std::int64_t value, std::u16string_view zeroToNine) {
    QString text = QString::number(value);
    for (QChar& c : text) {
        c = QChar(zeroToNine[static_cast<std::size_t>(c.unicode() - u'0')]);
    }
    return text;
}

// A counting system of East Asia: digits with the units ten, hundred and thousand, in groups of
// ten thousand.
struct Counting {
    std::u16string_view digits;  // one to nine
    std::u16string_view units;   // ten, hundred, thousand
    char16_t myriad;             // ten thousand
    char16_t zero = 0;           // written once for a gap of zeros inside the number, or none
    bool bareUnits = false;      // 十 for ten, 百 for a hundred, not 一十, 一百
    bool bareLeadingTen = false; // only a ten that starts the number drops its one
    bool bareMyriad = false;     // Korean 만 for ten thousand
};

constexpr std::int64_t MaxCounted = 99999999;

QString counted(std::int64_t value, const Counting& system) {
    QString text;
    bool gap = false;
    const auto group = [&](int part) {
        for (int position = 3, scale = 1000; position >= 0; --position, scale /= 10) {
            const int digit = part / scale % 10;
            if (digit == 0) {
                gap = gap || !text.isEmpty();
                continue;
            }
            if (gap && system.zero != 0) {
                text += QChar(system.zero);
            }
            gap = false;
            const bool bare =
                position > 0 && digit == 1 &&
                (system.bareUnits || (system.bareLeadingTen && position == 1 && text.isEmpty()));
            if (!bare) {
                text += QChar(system.digits[static_cast<std::size_t>(digit - 1)]);
            }
            if (position > 0) {
                text += QChar(system.units[static_cast<std::size_t>(position - 1)]);
            }
        }
    };
    const auto high = static_cast<int>(value / 10000);
    if (high > 0) {
        if (high > 1 || !system.bareMyriad) {
            group(high);
        }
        text += QChar(system.myriad);
        gap = false;
    }
    group(static_cast<int>(value % 10000));
    return text;
}

QString countedIn(std::int64_t value, RtfNumberFormat format) {
    using F = RtfNumberFormat;
    static constexpr std::u16string_view ChineseDigits = u"一二三四五六七八九";
    static constexpr std::u16string_view ChineseUnits = u"十百千";
    switch (format) {
    case F::JapaneseCounting:
        return counted(value, {ChineseDigits, ChineseUnits, u'万', 0, true});
    case F::JapaneseLegal:
        return counted(value, {u"壱弐参四伍六七八九", u"拾百阡", u'萬'});
    case F::IdeographLegalTraditional:
        return counted(value, {u"壹貳參肆伍陸柒捌玖", u"拾佰仟", u'萬', u'零'});
    case F::ChineseLegalSimplified:
        return counted(value, {u"壹贰叁肆伍陆柒捌玖", u"拾佰仟", u'万', u'零'});
    case F::TaiwaneseCounting:
    case F::TaiwaneseCountingThousand:
        return counted(value, {ChineseDigits, ChineseUnits, u'萬', u'零', false, true});
    case F::KoreanCounting:
        return counted(value, {u"일이삼사오육칠팔구", u"십백천", u'만', 0, true, false, true});
    default: // Chinese counting
        return counted(value, {ChineseDigits, ChineseUnits, u'万', u'零', false, true});
    }
}

// Korean's own words for 1 to 99 (하나, 열, 스물).
QString koreanLegal(std::int64_t value) {
    static constexpr std::array<std::u16string_view, 9> Ones = {
        u"하나", u"둘", u"셋", u"넷", u"다섯", u"여섯", u"일곱", u"여덟", u"아홉"};
    static constexpr std::array<std::u16string_view, 9> Tens = {
        u"열", u"스물", u"서른", u"마흔", u"쉰", u"예순", u"일흔", u"여든", u"아흔"};
    QString text;
    if (value >= 10) {
        const std::u16string_view tens = Tens[static_cast<std::size_t>(value / 10 - 1)];
        text += QStringView(tens.data(), qsizetype(tens.size()));
    }
    if (value % 10 != 0) {
        const std::u16string_view ones = Ones[static_cast<std::size_t>(value % 10 - 1)];
        text += QStringView(ones.data(), qsizetype(ones.size()));
    }
    return text;
}

// Hebrew letters whose values add up to 1 to 999; 15 and 16 as 9+6 and 9+7, as Hebrew writes them.
QString hebrewNumeral(std::int64_t value) {
    static constexpr std::u16string_view Ones = u"אבגדהוזחט";
    static constexpr std::u16string_view Tens = u"יכלמנסעפצ";
    static constexpr std::u16string_view Hundreds = u"קרשת";
    QString text;
    std::int64_t hundreds = value / 100;
    for (; hundreds >= 4; hundreds -= 4) {
        text += QChar(Hundreds[3]);
    }
    if (hundreds > 0) {
        text += QChar(Hundreds[static_cast<std::size_t>(hundreds - 1)]);
    }
    std::int64_t rest = value % 100;
    if (rest == 15 || rest == 16) {
        return text + QChar(Ones[8]) + QChar(Ones[static_cast<std::size_t>(rest - 10)]);
    }
    if (rest >= 10) {
        text += QChar(Tens[static_cast<std::size_t>(rest / 10 - 1)]);
        rest %= 10;
    }
    if (rest > 0) {
        text += QChar(Ones[static_cast<std::size_t>(rest - 1)]);
    }
    return text;
}

// The set of letters a format counts with, and whether it starts again past its end (kana,
// Korean letters) or goes on with two letters (Hebrew and Arabic alphabets).
struct Letters {
    std::u16string_view set;
    bool cycles;
};

std::optional<Letters> lettersOf(RtfNumberFormat format) {
    using F = RtfNumberFormat;
    switch (format) {
    case F::Aiueo:
        return Letters{u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ", true};
    case F::AiueoFullWidth:
        return Letters{u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユ"
                       u"ヨラリルレロワヲン",
                       true};
    case F::Iroha: // half-width kana has no ヰ and ヱ: イ and エ stand for them
        return Letters{u"ｲﾛﾊﾆﾎﾍﾄﾁﾘﾇﾙｦﾜｶﾖﾀﾚｿﾂﾈﾅﾗﾑｳｲﾉｵｸﾔﾏｹﾌｺｴﾃｱｻｷﾕﾒﾐｼｴﾋﾓｾｽﾝ", true};
    case F::IrohaFullWidth:
        return Letters{u"イロハニホヘトチリヌルヲワカヨタレソツネナラムウヰノオクヤマケフコエテアサ"
                       u"キユメミシヱヒモセスン",
                       true};
    case F::Ganada:
        return Letters{u"가나다라마바사아자차카타파하", true};
    case F::Chosung:
        return Letters{u"ㄱㄴㄷㄹㅁㅂㅅㅇㅈㅊㅋㅌㅍㅎ", true};
    case F::Hebrew2:
        return Letters{u"אבגדהוזחטיכלמנסעפצקרשת", false};
    case F::ArabicAlpha:
        return Letters{u"أبتثجحخدذرزسشصضطظعغفقكلمنهوي", false};
    case F::ArabicAbjad:
        return Letters{u"ابجدهوزحطيكلمنسعفصقرشتثخذضظغ", false};
    default:
        return std::nullopt;
    }
}

// The sexagenary cycle: a heavenly stem and an earthly branch, 甲子, 乙丑, ... 癸亥.
constexpr std::u16string_view Stems = u"甲乙丙丁戊己庚辛壬癸";
constexpr std::u16string_view Branches = u"子丑寅卯辰巳午未申酉戌亥";

// The formats of East Asia and the right-to-left alphabets, or nothing where the value is past
// what the format shows.
std::optional<QString> eastAsianOrAlphabetic(std::int64_t value, RtfNumberFormat format) {
    using F = RtfNumberFormat;
    if (value <= 0) {
        return std::nullopt;
    }
    if (const std::optional<Letters> letters = lettersOf(format)) {
        return letters->cycles ? cycled(value, letters->set) : bijective(value, letters->set);
    }
    const auto upTo = [&](std::int64_t last, auto&& text) -> std::optional<QString> {
        return value <= last ? std::optional<QString>(text()) : std::nullopt;
    };
    switch (format) {
    case F::IdeographDigital:
    case F::TaiwaneseDigital:
        return digital(value, u"〇一二三四五六七八九");
    case F::KoreanDigital:
        return digital(value, u"영일이삼사오육칠팔구");
    case F::KoreanDigital2:
        return digital(value, u"零一二三四五六七八九");
    case F::JapaneseCounting:
    case F::JapaneseLegal:
    case F::IdeographLegalTraditional:
    case F::ChineseLegalSimplified:
    case F::TaiwaneseCounting:
    case F::TaiwaneseCountingThousand:
    case F::ChineseCounting:
    case F::ChineseCountingThousand:
    case F::KoreanCounting:
        return upTo(MaxCounted, [&] { return countedIn(value, format); });
    case F::KoreanLegal:
        return value < 100 ? koreanLegal(value)
                           : upTo(MaxCounted, [&] { return countedIn(value, F::KoreanCounting); });
    case F::Hebrew1:
        return upTo(999, [&] { return hebrewNumeral(value); });
    case F::EnclosedFullStop:
        return upTo(20, [&] { return QString(QChar(static_cast<char16_t>(0x2488 + value - 1))); });
    case F::EnclosedParenthesis:
        return upTo(20, [&] { return QString(QChar(static_cast<char16_t>(0x2474 + value - 1))); });
    case F::EnclosedCircleChinese:
        return upTo(50, [&] { return circled(value); });
    case F::IdeographEnclosedCircle:
        return upTo(10, [&] { return QString(QChar(static_cast<char16_t>(0x3220 + value - 1))); });
    case F::IdeographTraditional:
        return upTo(10, [&] { return cycled(value, Stems); });
    case F::IdeographZodiac:
        return upTo(12, [&] { return cycled(value, Branches); });
    case F::IdeographZodiacTraditional:
        return upTo(60, [&] { return cycled(value, Stems) + cycled(value, Branches); });
    default:
        return std::nullopt;
    }
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
        if (std::optional<QString> text = eastAsianOrAlphabetic(value, format)) {
            return *text;
        }
        break;
    }
    return QString::number(value);
}

bool knownNumberFormat(RtfNumberFormat format) {
    using F = RtfNumberFormat;
    switch (format) {
    case F::Decimal:
    case F::UpperRoman:
    case F::LowerRoman:
    case F::UpperLetter:
    case F::LowerLetter:
    case F::Ordinal:
    case F::CardinalText:
    case F::OrdinalText:
    case F::Chicago:
    case F::IdeographDigital:
    case F::JapaneseCounting:
    case F::Aiueo:
    case F::Iroha:
    case F::FullWidth:
    case F::JapaneseLegal:
    case F::Circled:
    case F::FullWidthArabic:
    case F::AiueoFullWidth:
    case F::IrohaFullWidth:
    case F::DecimalZero:
    case F::Bullet:
    case F::Ganada:
    case F::Chosung:
    case F::EnclosedFullStop:
    case F::EnclosedParenthesis:
    case F::EnclosedCircleChinese:
    case F::IdeographEnclosedCircle:
    case F::IdeographTraditional:
    case F::IdeographZodiac:
    case F::IdeographZodiacTraditional:
    case F::TaiwaneseCounting:
    case F::IdeographLegalTraditional:
    case F::TaiwaneseCountingThousand:
    case F::TaiwaneseDigital:
    case F::ChineseCounting:
    case F::ChineseLegalSimplified:
    case F::ChineseCountingThousand:
    case F::KoreanDigital:
    case F::KoreanCounting:
    case F::KoreanLegal:
    case F::KoreanDigital2:
    case F::Hebrew1:
    case F::ArabicAlpha:
    case F::Hebrew2:
    case F::ArabicAbjad:
    case F::NoNumber:
        return true;
    default:
        return false;
    }
}

} // namespace qtbackend
