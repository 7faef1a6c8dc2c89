#pragma once

#include <memory>
#include <string_view>
#include <unordered_map>

#include <QString>

class QStringDecoder;

namespace qtbackend {

// Fonts that number their glyphs in their own way: text in them is mapped to the Unicode
// characters the glyphs show.
enum class SymbolFont { None, Symbol, Wingdings, ZapfDingbats };

// Decodes bytes of a Windows code page. Windows-1252 is built in; the others come from Qt's
// converters (ICU on Debian), created once per code page and kept. A code page nobody knows is
// read as Windows-1252 (callers that know a better one ask knows() first). Never fails: bytes a
// code page does not map, and a lead byte without its trail byte, become U+FFFD.
class CodePageDecoder {
public:
    CodePageDecoder();
    ~CodePageDecoder();

    QString decode(std::string_view bytes, int codePage);
    // Whether bytes of this code page can be decoded as that code page.
    bool knows(int codePage);

private:
    QStringDecoder* converter(int codePage);

    std::unordered_map<int, std::unique_ptr<QStringDecoder>> converters_;
};

// Windows-1252, what Windows itself does with it: the five unassigned bytes stay C1 controls.
QString decodeWindows1252(std::string_view bytes);

// Text written in a symbol font, as the characters its glyphs show.
QString decodeSymbolFont(std::string_view bytes, SymbolFont font);
// The same for one character that a writer put in the private use area (U+F020..U+F0FF).
char16_t mapSymbolFontCharacter(char16_t character, SymbolFont font);

// The symbol font a family name stands for, or None. A font of \fcharset2 whose name says no
// more is taken for Symbol.
SymbolFont symbolFontNamed(const QString& family, bool symbolCharset = false);

// The code page of an RTF \fcharset, or 0 for "the document's own".
int codePageForCharset(int charset);

// Whether byte opens a two-byte character in this code page (932, 936, 949, 950 and the Mac
// code pages read as them); its trail byte follows, and may be any byte from 0x40 on.
bool isLeadByte(unsigned char byte, int codePage);
// Whether bytes end inside a two-byte character, read from a character's start.
bool endsInsideCharacter(std::string_view bytes, int codePage);

} // namespace qtbackend
