#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include <QString>

#include "platform/qt/richtext/CodePages.h"

namespace qtbackend {

struct RtfFont;

// The text of a list level (\leveltext) or of a Word 6 number (\pntxtb, \pntxta) as written:
// bytes, which only the font named after them can decode, and \u characters. Bounded in length.
class RtfNumberText {
public:
    void clear() { units_.clear(); }
    void append(std::string_view bytes);
    void append(char16_t character);

    // The text in font (null: the document's code page). Bytes 0 to 8 stay characters 0 to 8:
    // in a level text they stand for the numbers of levels 1 to 9.
    QString decode(const RtfFont* font, CodePageDecoder& decoder, int documentCodePage) const;

    static constexpr std::size_t MaxUnits = 256;

    // Characters of the private use area (U+F020 to U+F0FF) in a number are glyphs of a symbol
    // font, whatever font the writer names (LibreOffice names fonts its table lacks): those of
    // font, or of Symbol when font is none.
    static QString mapSymbols(QString text, SymbolFont font);

private:
    struct Unit {
        char16_t value;
        bool byte;
    };
    std::vector<Unit> units_;
};

} // namespace qtbackend
