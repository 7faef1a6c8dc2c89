#include "platform/qt/richtext/RichTextReader.h"

#include <string_view>

#include <QByteArray>
#include <QFont>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/qt/richtext/PlainTextReader.h"
#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/RtfReader.h"
#include "platform/qt/richtext/TextShaping.h"

namespace qtbackend {

namespace {

// What a word processor falls back to when an RTF file names no font: a serif at 12 points.
QFont richTextFont() {
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(12);
    font.setStyleStrategy(richtext::TextStyleStrategy);
    return font;
}

} // namespace

void readRichTextContent(const QByteArray& content, QTextDocument& document) {
    // Loading is not an edit: no undo history, which would double the memory of large files.
    document.setUndoRedoEnabled(false);
    document.clear();
    // One edit for the whole load: outside an edit, every insertion lays its paragraph out again
    // to place the cursor, which makes long paragraphs cost the square of their length.
    QTextCursor edit(&document);
    edit.beginEditBlock();
    if (content.startsWith("{\\rtf")) {
        document.setDefaultFont(richTextFont());
        RtfReader reader(document);
        reader.read(std::string_view(content.constData(), std::size_t(content.size())));
    } else {
        readPlainText(content, document);
    }
    edit.endEditBlock();
}

void fitParagraphsToDevice(QTextDocument& document, int logicalDpiX) {
    const auto pixels = [logicalDpiX](const QTextBlockFormat& format, int property) {
        return format.intProperty(property) * qreal(logicalDpiX) / 1440.0;
    };
    QTextCursor edit(&document);
    edit.beginEditBlock();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        format.setLeftMargin(pixels(format, richtext::LeftMarginTwips));
        format.setRightMargin(pixels(format, richtext::RightMarginTwips));
        format.setTextIndent(pixels(format, richtext::TextIndentTwips));
        if (format != block.blockFormat()) {
            QTextCursor cursor(block);
            cursor.setBlockFormat(format);
        }
    }
    edit.endEditBlock();
}

} // namespace qtbackend
