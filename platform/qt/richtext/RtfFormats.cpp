#include "platform/qt/richtext/RtfFormats.h"

#include <algorithm>

#include <QHashFunctions>
#include <QList>

#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/RtfColorTable.h"
#include "platform/qt/richtext/RtfFontTable.h"
#include "platform/qt/richtext/TextShaping.h"

namespace qtbackend {

namespace {

using richtext::FormatKey;
using richtext::TwipsPerPixel;

void setLineSpacing(QTextBlockFormat& format, const RtfParagraphState& paragraph) {
    // \sl: at least N twips, exactly -N twips, or with \slmult1 N/240 lines.
    if (paragraph.lineSpacing == 0) {
        return;
    }
    if (paragraph.lineMultiple) {
        if (paragraph.lineSpacing > 0) {
            format.setLineHeight(paragraph.lineSpacing * 100.0 / 240.0,
                                 QTextBlockFormat::ProportionalHeight);
        }
    } else if (paragraph.lineSpacing > 0) {
        format.setLineHeight(paragraph.lineSpacing / TwipsPerPixel,
                             QTextBlockFormat::MinimumHeight);
    } else {
        format.setLineHeight(-paragraph.lineSpacing / TwipsPerPixel, QTextBlockFormat::FixedHeight);
    }
}

// Default stops are written out to this far from the text area's edge (Word's widest page), and
// no more of them than this.
constexpr std::int32_t DefaultStopsReach = 31680;
constexpr int MaxDefaultStops = 16;

// RTF measures tab stops from the text area's edge, Qt from where the first line starts. A
// hanging indent is a tab stop of its own, as word processors treat it, unless a set one comes
// first. Past the set stops, a word processor stops at multiples of the default distance from the
// edge, where Qt counts them from the line's start: after an indent that is no multiple of the
// distance, they are set here.
void setTabStops(QTextBlockFormat& format, const RtfParagraphState& paragraph,
                 std::int32_t defaultTab) {
    const std::int32_t lineStart = paragraph.leftIndent + paragraph.firstIndent;
    QList<QTextOption::Tab> tabs;
    std::size_t key = 0;
    bool setStopBeforeIndent = false;
    std::int32_t lastStop = lineStart;
    for (const RtfTabStop& tab : paragraph.tabs) {
        if (tab.position <= lineStart) {
            continue;
        }
        lastStop = std::max(lastStop, tab.position);
        QTextOption::Tab stop((tab.position - lineStart) / TwipsPerPixel, tab.type);
        if (tab.type == QTextOption::DelimiterTab) {
            stop.delimiter = QLatin1Char('.');
        }
        tabs.append(stop);
        key = qHashMulti(key, tab.position, int(tab.type));
        setStopBeforeIndent = setStopBeforeIndent || tab.position <= paragraph.leftIndent;
    }
    if (paragraph.firstIndent < 0 && !setStopBeforeIndent) {
        tabs.append(QTextOption::Tab(-paragraph.firstIndent / TwipsPerPixel, QTextOption::LeftTab));
        lastStop = std::max(lastStop, paragraph.leftIndent);
    }
    if (defaultTab > 0 && lineStart % defaultTab != 0) {
        std::int32_t stop = (std::max(lastStop, 0) / defaultTab + 1) * defaultTab;
        for (int i = 0; i < MaxDefaultStops && stop <= DefaultStopsReach; ++i, stop += defaultTab) {
            tabs.append(QTextOption::Tab((stop - lineStart) / TwipsPerPixel, QTextOption::LeftTab));
        }
        key = qHashMulti(key, defaultTab);
    }
    if (tabs.isEmpty()) {
        return;
    }
    std::sort(tabs.begin(), tabs.end(), [](const QTextOption::Tab& a, const QTextOption::Tab& b) {
        return a.position < b.position;
    });
    format.setTabPositions(tabs);
    format.setProperty(FormatKey, int(qHashMulti(key, lineStart))); // see rtfCharFormat()
}

} // namespace

QTextCharFormat rtfCharFormat(const RtfCharacterState& character, const RtfFont* font,
                              const RtfColorTable& colors) {
    QTextCharFormat format;
    if (font != nullptr) {
        // Text of a symbol font is read as the Unicode characters its glyphs show, which the
        // symbol fonts installed under those names (Standard Symbols PS for Symbol) do not
        // print: any other font's glyphs do.
        if (!font->family.isEmpty() && font->symbol == SymbolFont::None) {
            format.setFontFamilies(QStringList{font->family});
        }
        if (font->styleHint != QFont::AnyStyle) {
            format.setFontStyleHint(font->styleHint, richtext::TextStyleStrategy);
        }
    }
    format.setFontPointSize(character.halfPoints / 2.0);
    format.setFontWeight(character.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(character.italic);
    format.setFontStrikeOut(character.strike);
    format.setUnderlineStyle(character.underline);
    if (character.caps || character.smallCaps) {
        // Qt's own small capitals take the small letters from the block's default font at the
        // screen's resolution once shaped, which on paper are specks: the reader makes them
        // from capitals of two sizes.
        format.setFontCapitalization(QFont::AllUppercase);
    }
    if (character.vertical != QTextCharFormat::AlignNormal) {
        format.setVerticalAlignment(character.vertical);
    }
    // Index 0 is the automatic colour, whatever the table's first entry says: writers that put
    // black there mean text colour by \cf0, not a black background by \cb0 or \highlight0.
    const QColor foreground =
        character.foreground > 0 ? colors.color(character.foreground) : QColor();
    const QColor background =
        character.background > 0 ? colors.color(character.background) : QColor();
    if (foreground.isValid()) {
        format.setForeground(foreground);
    }
    if (background.isValid()) {
        format.setBackground(background);
    }
    // Qt hashes font lists and brushes by their type alone, so formats that differ only in
    // font or colour all collide in the document's format table and each new one is compared
    // with all the others. A key that tells them apart keeps the table's cost linear.
    format.setProperty(FormatKey, int(qHashMulti(0, font != nullptr ? font->family : QString(),
                                                 foreground.rgba(), background.rgba())));
    return format;
}

QTextBlockFormat rtfBlockFormat(const RtfParagraphState& paragraph, std::int32_t defaultTab) {
    QTextBlockFormat format;
    // Qt reads left and right alignment from the paragraph's leading edge, as Word and
    // LibreOffice read \ql and \qr.
    format.setAlignment(paragraph.alignment);
    // A paragraph runs left to right unless marked \rtlpar, whatever script its text starts in.
    format.setLayoutDirection(paragraph.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    format.setLeftMargin(paragraph.leftIndent / TwipsPerPixel);
    format.setRightMargin(paragraph.rightIndent / TwipsPerPixel);
    format.setTextIndent(paragraph.firstIndent / TwipsPerPixel);
    format.setTopMargin(paragraph.spaceBefore / TwipsPerPixel);
    format.setBottomMargin(paragraph.spaceAfter / TwipsPerPixel);
    const auto setTwips = [&format](int property, std::int32_t twips) {
        if (twips != 0) {
            format.setProperty(property, twips);
        }
    };
    setTwips(richtext::LeftMarginTwips, paragraph.leftIndent);
    setTwips(richtext::RightMarginTwips, paragraph.rightIndent);
    setTwips(richtext::TextIndentTwips, paragraph.firstIndent);
    setLineSpacing(format, paragraph);
    setTabStops(format, paragraph, defaultTab);
    if (paragraph.pageBreakBefore) {
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    return format;
}

} // namespace qtbackend
