#include "platform/qt/richtext/PlainTextReader.h"

#include <string_view>
#include <vector>

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/Strings.h"
#include "platform/qt/richtext/CodePages.h"
#include "platform/qt/richtext/LongWordBreaker.h"
#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/TextSanitizer.h"
#include "platform/qt/richtext/TextShaping.h"

namespace qtbackend {

namespace {

constexpr int TabColumns = 8;

QString decodeUtf16(QByteArrayView bytes, bool bigEndian) {
    QString text;
    text.reserve(bytes.size() / 2 + 1);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype units = bytes.size() / 2;
    for (qsizetype i = 0; i < units; ++i) {
        const unsigned char first = data[2 * i];
        const unsigned char second = data[2 * i + 1];
        text.append(
            QChar(bigEndian ? char16_t((first << 8) | second) : char16_t((second << 8) | first)));
    }
    if (bytes.size() % 2 != 0) {
        text.append(QChar::ReplacementCharacter); // a last byte without its pair
    }
    return text;
}

struct Line {
    qsizetype start;
    qsizetype length;
    bool pageBreakBefore;
};

// Splits text into lines: CR, LF, CR LF (and U+2029) end one. A form feed ends the line it is
// in, if anything came before it on that line, and puts the next line on a new page; a line end
// right after it belongs to it.
std::vector<Line> splitLines(QStringView text) {
    std::vector<Line> lines;
    qsizetype lineStart = 0;
    bool pageBreak = false;
    bool afterFormFeed = false;
    qsizetype i = 0;
    while (i < text.size()) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n' || c == 0x2029) {
            const qsizetype end = i;
            i += c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
            if (!(afterFormFeed && end == lineStart)) {
                lines.push_back({lineStart, end - lineStart, std::exchange(pageBreak, false)});
            }
            lineStart = i;
            afterFormFeed = false;
        } else if (c == u'\f') {
            if (i > lineStart) {
                lines.push_back({lineStart, i - lineStart, std::exchange(pageBreak, false)});
            }
            pageBreak = true;
            afterFormFeed = true;
            lineStart = ++i;
        } else {
            ++i;
        }
    }
    if (lineStart < text.size()) {
        lines.push_back({lineStart, text.size() - lineStart, pageBreak});
    }
    return lines;
}

// Appends a line with its tabs expanded to the next multiple of eight columns. Spaces in a
// fixed-pitch font keep the columns at every resolution; tab stops would be placed in design
// units while the characters advance by hinted ones, and drift apart along the line.
void appendExpandingTabs(QString& out, QStringView line) {
    qsizetype column = 0;
    for (const QChar c : line) {
        if (c == u'\t') {
            const qsizetype spaces = TabColumns - column % TabColumns;
            out.append(QString(spaces, QLatin1Char(' ')));
            column += spaces;
            continue;
        }
        out.append(c);
        // Marks combine with the character before them; a pair of surrogates is one character.
        if (!c.isLowSurrogate() && !QChar::isMark(c.unicode())) {
            ++column;
        }
    }
}

// A line of plain characters, its tabs expanded.
void appendLine(QString& out, QStringView characters, QString& scratch) {
    if (!characters.contains(u'\t')) {
        appendSanitizedText(out, characters);
        return;
    }
    scratch.clear();
    appendSanitizedText(scratch, characters);
    appendExpandingTabs(out, scratch);
}

} // namespace

QString decodePlainText(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    } else if (bytes.startsWith("\xFF\xFE")) {
        return decodeUtf16(bytes.sliced(2), false);
    } else if (bytes.startsWith("\xFE\xFF")) {
        return decodeUtf16(bytes.sliced(2), true);
    } else if (!platform::isValidUtf8(std::string_view(bytes.data(), std::size_t(bytes.size())))) {
        return decodeWindows1252(std::string_view(bytes.data(), std::size_t(bytes.size())));
    }
    // With a byte-order mark the file says it is UTF-8; bytes that are not become U+FFFD.
    return QString::fromUtf8(bytes);
}

QFont plainTextFont() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(10);
    // Whole device pixels per character: the same columns, and a shorter PDF to write.
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void readPlainText(QByteArrayView bytes, QTextDocument& document) {
    const QString text = decodePlainText(bytes);
    const std::vector<Line> lines = splitLines(text);

    QFont font = plainTextFont();
    font.setStyleStrategy(richtext::needsShaping(text) ? QFont::PreferDefault
                                                       : richtext::TextStyleStrategy);
    document.setDefaultFont(font);

    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    // Lines go in as runs joined by LF, which Qt turns into blocks of the format of the block
    // before. A line after a page break, or one that wraps anywhere (holding a word too long for
    // Qt's word wrapping), starts a block of its own format, and the line after it a plain one.
    QTextCursor cursor(&document);
    cursor.setBlockCharFormat(format);
    QString run;
    QString scratch;
    bool formatBefore = false; // the line before has a block format of its own
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& lineSpan = lines[i];
        const QStringView characters = QStringView(text).sliced(lineSpan.start, lineSpan.length);
        const bool wrapsAnywhere = LongWordBreaker::holdsLongRun(characters);
        QTextBlockFormat block;
        if (wrapsAnywhere) {
            block.setProperty(richtext::WrapAnywhereKey, true);
        }
        if (i == 0) {
            cursor.setBlockFormat(block);
        } else if (lineSpan.pageBreakBefore || wrapsAnywhere || formatBefore) {
            cursor.insertText(run, format);
            run.clear();
            if (lineSpan.pageBreakBefore) {
                block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            }
            cursor.insertBlock(block, format);
        } else {
            run.append(QLatin1Char('\n'));
        }
        formatBefore = wrapsAnywhere || (i > 0 && lineSpan.pageBreakBefore);
        appendLine(run, characters, scratch);
    }
    cursor.insertText(run, format);
}

} // namespace qtbackend
