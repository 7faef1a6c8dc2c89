#include "platform/qt/richtext/RtfNumberText.h"

#include <string>

#include "platform/qt/richtext/CodePages.h"
#include "platform/qt/richtext/RtfFontTable.h"

namespace qtbackend {

namespace {

constexpr char16_t FirstTextByte = 9; // bytes below stand for level numbers

} // namespace

void RtfNumberText::append(std::string_view bytes) {
    for (const char c : bytes) {
        if (units_.size() >= MaxUnits) {
            return;
        }
        units_.push_back({static_cast<unsigned char>(c), true});
    }
}

void RtfNumberText::append(char16_t character) {
    if (units_.size() < MaxUnits) {
        units_.push_back({character, false});
    }
}

QString RtfNumberText::decode(const RtfFont* font, CodePageDecoder& decoder,
                              int documentCodePage) const {
    const SymbolFont symbol = font != nullptr ? font->symbol : SymbolFont::None;
    const int codePage = font != nullptr && font->codePage > 0 ? font->codePage : documentCodePage;
    QString text;
    std::string bytes; // a run of bytes, decoded whole so that double-byte characters hold
    const auto flush = [&] {
        if (bytes.empty()) {
            return;
        }
        text += symbol != SymbolFont::None ? decodeSymbolFont(bytes, symbol)
                                           : decoder.decode(bytes, codePage);
        bytes.clear();
    };
    for (const Unit& unit : units_) {
        if (unit.byte && unit.value >= FirstTextByte) {
            bytes.push_back(static_cast<char>(unit.value));
            continue;
        }
        flush();
        text += QChar(unit.value);
    }
    flush();
    return mapSymbols(text, symbol);
}

QString RtfNumberText::mapSymbols(QString text, SymbolFont font) {
    for (QChar& c : text) {
        c = QChar(mapSymbolFontCharacter(c.unicode(),
                                         font != SymbolFont::None ? font : SymbolFont::Symbol));
    }
    return text;
}

} // namespace qtbackend
