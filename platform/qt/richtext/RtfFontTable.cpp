#include "platform/qt/richtext/RtfFontTable.h"

#include <QStringList>

namespace qtbackend {

namespace {

constexpr std::size_t MaxFontNameBytes = 256;
constexpr std::int32_t SymbolCharset = 2;

// Windows names a font's other character sets by suffixes ("Times New Roman CYR", "Arial CE"),
// aliases of the font itself that no other system has: without its suffix the name finds the
// font or its metric twin, with it only a fallback of other widths.
QString withoutCharsetSuffix(const QString& family) {
    static const QStringList suffixes{u" CYR"_qs,      u" CE"_qs,          u" Greek"_qs,
                                      u" Tur"_qs,      u" Baltic"_qs,      u" (Hebrew)"_qs,
                                      u" (Arabic)"_qs, u" (Vietnamese)"_qs};
    for (const QString& suffix : suffixes) {
        if (family.size() > suffix.size() && family.endsWith(suffix, Qt::CaseInsensitive)) {
            return family.chopped(suffix.size());
        }
    }
    return family;
}

} // namespace

void RtfFontTable::begin(std::int32_t number) {
    defining_ = Definition{};
    defining_.active = true;
    defining_.number = number;
}

void RtfFontTable::text(std::string_view bytes, CodePageDecoder& decoder, int documentCodePage) {
    if (!defining_.active) {
        return;
    }
    for (const char c : bytes) {
        if (c == ';') {
            commit(decoder, documentCodePage);
            return;
        }
        if (defining_.name.size() < MaxFontNameBytes) {
            defining_.name.push_back(c);
        }
    }
}

void RtfFontTable::commit(CodePageDecoder& decoder, int documentCodePage) {
    if (!defining_.active) {
        return;
    }
    defining_.active = false;
    RtfFont font;
    font.codePage = definingCodePage();
    if (font.codePage > 0 && !decoder.knows(font.codePage)) {
        font.codePage = 0; // read as the document's, never as garbage
    }
    font.family = withoutCharsetSuffix(
        decoder.decode(defining_.name, font.codePage > 0 ? font.codePage : documentCodePage)
            .trimmed());
    font.symbol = symbolFontNamed(font.family, defining_.charset == SymbolCharset);
    font.styleHint = defining_.styleHint;
    fonts_.insert(defining_.number, font);
}

int RtfFontTable::definingCodePage() const {
    if (defining_.codePage > 0) {
        return defining_.codePage;
    }
    return defining_.charset >= 0 ? codePageForCharset(defining_.charset) : 0;
}

const RtfFont* RtfFontTable::find(std::int32_t number) const {
    auto found = fonts_.constFind(number >= 0 ? number : default_);
    if (found == fonts_.constEnd()) {
        found = fonts_.constFind(default_);
    }
    return found == fonts_.constEnd() ? nullptr : &found.value();
}

} // namespace qtbackend
