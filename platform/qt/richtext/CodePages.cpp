#include "platform/qt/richtext/CodePages.h"

#include <array>

#include <QByteArray>
#include <QStringDecoder>

namespace qtbackend {

namespace {

constexpr int Windows1252 = 1252;

constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

struct GlyphMapping {
    unsigned char byte;
    char16_t character;
};

// Adobe's Symbol font: Greek letters, mathematical signs and the pieces of tall brackets.
constexpr GlyphMapping SymbolGlyphs[] = {
    {0x22, 0x2200}, {0x24, 0x2203}, {0x27, 0x220B}, {0x2A, 0x2217}, {0x2D, 0x2212}, {0x40, 0x2245},
    {0x41, 0x0391}, {0x42, 0x0392}, {0x43, 0x03A7}, {0x44, 0x0394}, {0x45, 0x0395}, {0x46, 0x03A6},
    {0x47, 0x0393}, {0x48, 0x0397}, {0x49, 0x0399}, {0x4A, 0x03D1}, {0x4B, 0x039A}, {0x4C, 0x039B},
    {0x4D, 0x039C}, {0x4E, 0x039D}, {0x4F, 0x039F}, {0x50, 0x03A0}, {0x51, 0x0398}, {0x52, 0x03A1},
    {0x53, 0x03A3}, {0x54, 0x03A4}, {0x55, 0x03A5}, {0x56, 0x03C2}, {0x57, 0x03A9}, {0x58, 0x039E},
    {0x59, 0x03A8}, {0x5A, 0x0396}, {0x5C, 0x2234}, {0x5E, 0x22A5}, {0x61, 0x03B1}, {0x62, 0x03B2},
    {0x63, 0x03C7}, {0x64, 0x03B4}, {0x65, 0x03B5}, {0x66, 0x03C6}, {0x67, 0x03B3}, {0x68, 0x03B7},
    {0x69, 0x03B9}, {0x6A, 0x03D5}, {0x6B, 0x03BA}, {0x6C, 0x03BB}, {0x6D, 0x03BC}, {0x6E, 0x03BD},
    {0x6F, 0x03BF}, {0x70, 0x03C0}, {0x71, 0x03B8}, {0x72, 0x03C1}, {0x73, 0x03C3}, {0x74, 0x03C4},
    {0x75, 0x03C5}, {0x76, 0x03D6}, {0x77, 0x03C9}, {0x78, 0x03BE}, {0x79, 0x03C8}, {0x7A, 0x03B6},
    {0x7E, 0x223C}, {0xA0, 0x20AC}, {0xA1, 0x03D2}, {0xA2, 0x2032}, {0xA3, 0x2264}, {0xA4, 0x2044},
    {0xA5, 0x221E}, {0xA6, 0x0192}, {0xA7, 0x2663}, {0xA8, 0x2666}, {0xA9, 0x2665}, {0xAA, 0x2660},
    {0xAB, 0x2194}, {0xAC, 0x2190}, {0xAD, 0x2191}, {0xAE, 0x2192}, {0xAF, 0x2193}, {0xB0, 0x00B0},
    {0xB1, 0x00B1}, {0xB2, 0x2033}, {0xB3, 0x2265}, {0xB4, 0x00D7}, {0xB5, 0x221D}, {0xB6, 0x2202},
    {0xB7, 0x2022}, {0xB8, 0x00F7}, {0xB9, 0x2260}, {0xBA, 0x2261}, {0xBB, 0x2248}, {0xBC, 0x2026},
    {0xBD, 0x23D0}, {0xBE, 0x23AF}, {0xBF, 0x21B5}, {0xC0, 0x2135}, {0xC1, 0x2111}, {0xC2, 0x211C},
    {0xC3, 0x2118}, {0xC4, 0x2297}, {0xC5, 0x2295}, {0xC6, 0x2205}, {0xC7, 0x2229}, {0xC8, 0x222A},
    {0xC9, 0x2283}, {0xCA, 0x2287}, {0xCB, 0x2284}, {0xCC, 0x2282}, {0xCD, 0x2286}, {0xCE, 0x2208},
    {0xCF, 0x2209}, {0xD0, 0x2220}, {0xD1, 0x2207}, {0xD2, 0x00AE}, {0xD3, 0x00A9}, {0xD4, 0x2122},
    {0xD5, 0x220F}, {0xD6, 0x221A}, {0xD7, 0x22C5}, {0xD8, 0x00AC}, {0xD9, 0x2227}, {0xDA, 0x2228},
    {0xDB, 0x21D4}, {0xDC, 0x21D0}, {0xDD, 0x21D1}, {0xDE, 0x21D2}, {0xDF, 0x21D3}, {0xE0, 0x25CA},
    {0xE1, 0x2329}, {0xE2, 0x00AE}, {0xE3, 0x00A9}, {0xE4, 0x2122}, {0xE5, 0x2211}, {0xE6, 0x239B},
    {0xE7, 0x239C}, {0xE8, 0x239D}, {0xE9, 0x23A1}, {0xEA, 0x23A2}, {0xEB, 0x23A3}, {0xEC, 0x23A7},
    {0xED, 0x23A8}, {0xEE, 0x23A9}, {0xEF, 0x23AA}, {0xF1, 0x232A}, {0xF2, 0x222B}, {0xF3, 0x2320},
    {0xF4, 0x23AE}, {0xF5, 0x2321}, {0xF6, 0x239E}, {0xF7, 0x239F}, {0xF8, 0x23A0}, {0xF9, 0x23A4},
    {0xFA, 0x23A5}, {0xFB, 0x23A6}, {0xFC, 0x23AB}, {0xFD, 0x23AC}, {0xFE, 0x23AD},
};

// Wingdings: the glyphs word processors put in front of list items.
constexpr GlyphMapping WingdingsGlyphs[] = {
    {0x6C, 0x25CF}, {0x6E, 0x25A0}, {0x6F, 0x25A1}, {0x71, 0x2751}, {0x75, 0x25C6}, {0x76, 0x2756},
    {0x9F, 0x2022}, {0xA7, 0x25AA}, {0xA8, 0x25FB}, {0xD8, 0x27A2}, {0xE0, 0x2192}, {0xE8, 0x2794},
    {0xF0, 0x21E8}, {0xFB, 0x2717}, {0xFC, 0x2713}, {0xFD, 0x2612}, {0xFE, 0x2611},
};

// Zapf Dingbats: runs of the Dingbats block, and the geometric shapes, card suits, arrows and
// circled digits Unicode keeps elsewhere.
constexpr GlyphMapping ZapfDingbatsSingles[] = {
    {0x25, 0x260E}, {0x2A, 0x261B}, {0x2B, 0x261E}, {0x48, 0x2605}, {0x6C, 0x25CF}, {0x6E, 0x25A0},
    {0x73, 0x25B2}, {0x74, 0x25BC}, {0x75, 0x25C6}, {0x77, 0x25D7}, {0xA8, 0x2663}, {0xA9, 0x2666},
    {0xAA, 0x2665}, {0xAB, 0x2660}, {0xD5, 0x2192}, {0xD6, 0x2194}, {0xD7, 0x2195},
};

struct GlyphRun {
    unsigned char first;
    unsigned char last;
    char16_t character; // that of first
};

constexpr GlyphRun ZapfDingbatsRuns[] = {
    {0x21, 0x7E, 0x2701}, {0x80, 0x8D, 0x2768}, {0xA1, 0xA7, 0x2761}, {0xAC, 0xB5, 0x2460},
    {0xB6, 0xD4, 0x2776}, {0xD8, 0xEF, 0x2798}, {0xF1, 0xFE, 0x27B1},
};

char16_t zapfDingbat(unsigned char byte) {
    for (const GlyphMapping& mapping : ZapfDingbatsSingles) {
        if (mapping.byte == byte) {
            return mapping.character;
        }
    }
    for (const GlyphRun& run : ZapfDingbatsRuns) {
        if (byte >= run.first && byte <= run.last) {
            return char16_t(run.character + (byte - run.first));
        }
    }
    return byte;
}

template <std::size_t N> char16_t lookUp(const GlyphMapping (&table)[N], unsigned char byte) {
    for (const GlyphMapping& mapping : table) {
        if (mapping.byte == byte) {
            return mapping.character;
        }
    }
    return byte;
}

char16_t mapSymbolByte(unsigned char byte, SymbolFont font) {
    switch (font) {
    case SymbolFont::Symbol:
        return lookUp(SymbolGlyphs, byte);
    case SymbolFont::Wingdings:
        return lookUp(WingdingsGlyphs, byte);
    case SymbolFont::ZapfDingbats:
        return zapfDingbat(byte);
    case SymbolFont::None:
        break;
    }
    return byte;
}

// The Windows code page whose double-byte characters this code page shares, or 0. The Mac
// code pages of the same scripts are read as their Windows counterparts.
int doubleByteCodePage(int codePage) {
    switch (codePage) {
    case 932:
    case 10001:
        return 932;
    case 936:
    case 10008:
        return 936;
    case 949:
    case 10003:
        return 949;
    case 950:
    case 10002:
        return 950;
    default:
        return 0;
    }
}

QByteArray converterName(int codePage) {
    if (const int doubleByte = doubleByteCodePage(codePage)) {
        return "windows-" + QByteArray::number(doubleByte);
    }
    switch (codePage) {
    case 708:
        return "ISO-8859-6";
    case 10000:
        return "macintosh";
    case 10006:
        return "x-mac-greek";
    case 10007:
        return "x-mac-cyrillic";
    case 10029:
        return "x-mac-ce";
    case 10081:
        return "x-mac-turkish";
    case 20127:
        return "US-ASCII";
    case 20932:
    case 51932:
        return "EUC-JP";
    case 54936:
        return "GB18030";
    case 65001:
        return "UTF-8";
    default:
        break;
    }
    if (codePage >= 28591 && codePage <= 28605) {
        return "ISO-8859-" + QByteArray::number(codePage - 28590);
    }
    if (codePage >= 437 && codePage <= 869) {
        return "IBM" + QByteArray::number(codePage);
    }
    return "windows-" + QByteArray::number(codePage);
}

} // namespace

CodePageDecoder::CodePageDecoder() = default;
CodePageDecoder::~CodePageDecoder() = default;

QString CodePageDecoder::decode(std::string_view bytes, int codePage) {
    if (codePage == Windows1252) {
        return decodeWindows1252(bytes);
    }
    QStringDecoder* decoder = converter(codePage);
    if (decoder == nullptr) {
        return decodeWindows1252(bytes);
    }
    decoder->resetState();
    QString text = decoder->decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    // ICU marks bytes some code pages do not map with SUB instead of the replacement character.
    text.replace(QChar(0x1A), QChar::ReplacementCharacter);
    if (endsInsideCharacter(bytes, codePage)) {
        text.append(QChar::ReplacementCharacter); // the lead byte is kept back, waiting
    }
    return text;
}

bool CodePageDecoder::knows(int codePage) {
    return codePage == Windows1252 || converter(codePage) != nullptr;
}

QStringDecoder* CodePageDecoder::converter(int codePage) {
    auto found = converters_.find(codePage);
    if (found == converters_.end()) {
        auto decoder = std::make_unique<QStringDecoder>(converterName(codePage).constData(),
                                                        QStringConverter::Flag::Stateless);
        if (!decoder->isValid()) {
            decoder.reset();
        }
        found = converters_.emplace(codePage, std::move(decoder)).first;
    }
    return found->second.get();
}

QString decodeWindows1252(std::string_view bytes) {
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = byte >= 0x80 && byte < 0xA0 ? Windows1252High[byte - 0x80] : char16_t{byte};
    }
    return text;
}

QString decodeSymbolFont(std::string_view bytes, SymbolFont font) {
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (const char c : bytes) {
        text.append(QChar(mapSymbolByte(static_cast<unsigned char>(c), font)));
    }
    return text;
}

char16_t mapSymbolFontCharacter(char16_t character, SymbolFont font) {
    if (font == SymbolFont::None || character < 0xF020 || character > 0xF0FF) {
        return character;
    }
    return mapSymbolByte(static_cast<unsigned char>(character - 0xF000), font);
}

SymbolFont symbolFontNamed(const QString& family, bool symbolCharset) {
    const auto named = [&family](const char* name) {
        return family.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };
    if (named("Symbol") || named("SymbolPS") || named("Symbol MT")) {
        return SymbolFont::Symbol;
    }
    if (named("Wingdings")) {
        return SymbolFont::Wingdings;
    }
    if (family.contains(QLatin1String("Dingbats"), Qt::CaseInsensitive) ||
        named("Monotype Sorts")) {
        return SymbolFont::ZapfDingbats;
    }
    // Another symbol font (names vary, or are garbled): mostly the bullets of lists, \'b7 as in
    // Symbol. Wingdings 2 and 3 and Webdings lay their glyphs out otherwise.
    const bool otherLayout =
        family.startsWith(QLatin1String("Wingdings"), Qt::CaseInsensitive) || named("Webdings");
    return symbolCharset && !otherLayout ? SymbolFont::Symbol : SymbolFont::None;
}

int codePageForCharset(int charset) {
    struct CharsetCodePage {
        int charset;
        int codePage;
    };
    static constexpr CharsetCodePage Table[] = {
        {0, 1252},   {77, 10000}, {78, 10001}, {79, 10003}, {80, 10008}, {81, 10002}, {83, 10005},
        {84, 10004}, {85, 10006}, {86, 10081}, {87, 10021}, {88, 10029}, {89, 10007}, {128, 932},
        {129, 949},  {130, 1361}, {134, 936},  {136, 950},  {161, 1253}, {162, 1254}, {163, 1258},
        {177, 1255}, {178, 1256}, {179, 1256}, {180, 1256}, {181, 1255}, {186, 1257}, {204, 1251},
        {222, 874},  {238, 1250}, {254, 437},  {255, 850},
    };
    for (const CharsetCodePage& entry : Table) {
        if (entry.charset == charset) {
            return entry.codePage;
        }
    }
    return 0;
}

bool isLeadByte(unsigned char byte, int codePage) {
    switch (doubleByteCodePage(codePage)) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

bool endsInsideCharacter(std::string_view bytes, int codePage) {
    if (doubleByteCodePage(codePage) == 0) {
        return false;
    }
    bool inside = false;
    for (const char c : bytes) {
        inside = !inside && isLeadByte(static_cast<unsigned char>(c), codePage);
    }
    return inside;
}

} // namespace qtbackend
