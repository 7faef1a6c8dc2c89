#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <QFont>
#include <QHash>
#include <QString>

#include "platform/qt/richtext/CodePages.h"

namespace qtbackend {

struct RtfFont {
    QString family;
    int codePage = 0; // 0: the document's; only code pages the decoder knows
    SymbolFont symbol = SymbolFont::None;
    QFont::StyleHint styleHint = QFont::AnyStyle;
};

// The document's \fonttbl: fonts by number, each entry gathered from its control words and its
// name up to the ";" that ends it. Looking a font up costs one hash lookup.
class RtfFontTable {
public:
    // \fN inside the table: starts the definition of font N (and ends the one before).
    void begin(std::int32_t number);
    void setCharset(std::int32_t charset) { defining_.charset = charset; }
    void setCodePage(std::int32_t codePage) { defining_.codePage = codePage; }
    void setStyleHint(QFont::StyleHint hint) { defining_.styleHint = hint; }
    // Text inside the table: the font's name, ended by ";".
    void text(std::string_view bytes, CodePageDecoder& decoder, int documentCodePage);
    // Ends the font being defined, if any: at its ";" or at the end of its group.
    void commit(CodePageDecoder& decoder, int documentCodePage);

    // The code page of the font being defined, or 0 for the document's.
    int definingCodePage() const;

    void setDefault(std::int32_t number) { default_ = number; }
    // Font number, or the default font for -1 or a number the table does not hold, as in Word;
    // null when neither is there.
    const RtfFont* find(std::int32_t number) const;

private:
    struct Definition {
        bool active = false;
        std::int32_t number = 0;
        std::int32_t charset = -1;
        std::int32_t codePage = 0;
        QFont::StyleHint styleHint = QFont::AnyStyle;
        std::string name;
    };

    QHash<std::int32_t, RtfFont> fonts_;
    Definition defining_;
    std::int32_t default_ = -1;
};

} // namespace qtbackend
