// The RTF reader against golden pairs in tests/data/rtf: each sample.rtf beside sample.expected,
// which lists the text of every paragraph and the formats that must hold at given places.
//
//   text: <paragraph text>          one line per block, in document order; escapes: \t tab,
//                                   \l line break, \~ no-break space, \- soft hyphen, \\ backslash,
//                                   \o a picture, \r<degrees>[<text>] a line turned clockwise
//   char "<words>" <property>...    every character of the first occurrence of words
//   block <n> <property>...         the block format of block n (0-based)
//   table <n> rows=<r> columns=<c>  the n-th table of the document (0-based)
//   widths <n> <px>...              its column widths, 1/96 inch (* for a column without one)
//   cell <n> <row> <column> <r>x<c> "<text>"
//                                   the cell that starts at row and column: the rows and
//                                   columns it spans, its paragraphs joined by |
//   image <n> bitmap <w>x<h> pixels=<w>x<h> #rrggbb
//   image <n> blank <w>x<h>         the n-th picture (0-based): its size in 1/96 inch, and its
//                                   image's pixels and top-left colour, or none for a blank box
//
// Character properties: bold !bold italic !italic strike !strike underline=<style> baseline
// size=<pt> family=<name> color=#rrggbb !color background=#rrggbb super sub caps. Block
// properties: align=left|center|right|justify left= right= indent= top= bottom= (1/96 inch),
// page-break !page-break line=proportional:<percent>|fixed:<px>|minimum:<px> tabs=<n>
// first-tab=<px from the start of the first line> first-tabs=<px>,<px>,... direction=ltr|rtl.

#include <cmath>
#include <string>
#include <vector>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <gtest/gtest.h>

#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/RichTextReader.h"
#include "platform/qt/richtext/TextObjectHandlers.h"

namespace {

using qtbackend::richtext::RotatedTextKey;
using qtbackend::richtext::RotationKey;

// Stands for a turned line in the escaped text: its degrees and text follow.
constexpr char16_t TurnedLine = 0xE000;

QString dataDirectory() {
    return QStringLiteral(QUILLET_SOURCE_DIR "/tests/data/rtf");
}

std::vector<std::string> sampleNames() {
    std::vector<std::string> names;
    const QStringList files = QDir(dataDirectory()).entryList({"*.rtf"}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        names.push_back(QFileInfo(file).completeBaseName().toStdString());
    }
    return names;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

QString unescape(const QString& text) {
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            result.append(text[i]);
            continue;
        }
        switch (text[++i].unicode()) {
        case u't':
            result.append(u'\t');
            break;
        case u'l':
            result.append(QChar(0x2028));
            break;
        case u'~':
            result.append(QChar(0x00A0));
            break;
        case u'-':
            result.append(QChar(0x00AD));
            break;
        case u'o':
            result.append(QChar::ObjectReplacementCharacter);
            break;
        case u'r':
            result.append(QChar(TurnedLine));
            break;
        default:
            result.append(text[i]);
            break;
        }
    }
    return result;
}

QString escape(const QString& text) {
    QString result;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\t':
            result += QStringLiteral("\\t");
            break;
        case 0x2028:
            result += QStringLiteral("\\l");
            break;
        case 0x00A0:
            result += QStringLiteral("\\~");
            break;
        case 0x00AD:
            result += QStringLiteral("\\-");
            break;
        case QChar::ObjectReplacementCharacter:
            result += QStringLiteral("\\o");
            break;
        case TurnedLine:
            result += QStringLiteral("\\r");
            break;
        case u'\\':
            result += QStringLiteral("\\\\");
            break;
        default:
            result += c;
            break;
        }
    }
    return result;
}

// Splits a check line into words; a quoted word, or a quoted value after "name=", keeps its
// spaces.
QStringList words(const QString& line) {
    QStringList result;
    static const QRegularExpression word(QStringLiteral(R"re(([\w!-]+=)?"([^"]*)"|(\S+))re"));
    for (auto match = word.globalMatch(line); match.hasNext();) {
        const auto found = match.next();
        result << (found.hasCaptured(2) ? found.captured(1) + found.captured(2)
                                        : found.captured(3));
    }
    return result;
}

QString underlineName(QTextCharFormat::UnderlineStyle style) {
    switch (style) {
    case QTextCharFormat::NoUnderline:
        return "none";
    case QTextCharFormat::SingleUnderline:
        return "single";
    case QTextCharFormat::DashUnderline:
        return "dash";
    case QTextCharFormat::DotLine:
        return "dot";
    case QTextCharFormat::DashDotLine:
        return "dashdot";
    case QTextCharFormat::DashDotDotLine:
        return "dashdotdot";
    case QTextCharFormat::WaveUnderline:
        return "wave";
    default:
        return "other";
    }
}

QString alignmentName(Qt::Alignment alignment) {
    if (alignment & Qt::AlignJustify) {
        return "justify";
    }
    if (alignment & Qt::AlignHCenter) {
        return "center";
    }
    if (alignment & Qt::AlignRight) {
        return "right";
    }
    return "left";
}

bool near(qreal actual, const QString& expected) {
    return std::abs(actual - expected.toDouble()) < 0.01;
}

// What is wrong with one character property, or an empty string.
QString checkChar(const QTextCharFormat& format, const QString& property) {
    const QString name = property.section('=', 0, 0);
    const QString value = property.section('=', 1);
    const auto fail = [&](const QString& actual) {
        return QStringLiteral("%1, found %2").arg(property, actual);
    };
    const auto flag = [&](bool actual, bool wanted) {
        return actual == wanted ? QString() : fail(actual ? "set" : "unset");
    };
    if (name == "bold" || name == "!bold") {
        return flag(format.fontWeight() >= QFont::Bold, name == "bold");
    }
    if (name == "italic" || name == "!italic") {
        return flag(format.fontItalic(), name == "italic");
    }
    if (name == "strike" || name == "!strike") {
        return flag(format.fontStrikeOut(), name == "strike");
    }
    if (name == "super") {
        return flag(format.verticalAlignment() == QTextCharFormat::AlignSuperScript, true);
    }
    if (name == "sub") {
        return flag(format.verticalAlignment() == QTextCharFormat::AlignSubScript, true);
    }
    if (name == "baseline") {
        return flag(format.verticalAlignment() == QTextCharFormat::AlignNormal, true);
    }
    if (name == "caps") {
        return flag(format.fontCapitalization() == QFont::AllUppercase, true);
    }
    if (name == "underline") {
        const QString actual = underlineName(format.underlineStyle());
        return actual == value ? QString() : fail(actual);
    }
    if (name == "size") {
        return near(format.fontPointSize(), value) ? QString()
                                                   : fail(QString::number(format.fontPointSize()));
    }
    if (name == "family") {
        const QString actual = format.fontFamilies().toStringList().value(0);
        return actual == value ? QString() : fail(actual);
    }
    if (name == "color" || name == "background") {
        const QBrush brush = name == "color" ? format.foreground() : format.background();
        const QString actual = brush.style() == Qt::NoBrush ? "none" : brush.color().name();
        return actual == value ? QString() : fail(actual);
    }
    if (name == "!color") {
        return flag(format.foreground().style() != Qt::NoBrush, false);
    }
    return QStringLiteral("unknown property ") + property;
}

QString checkBlock(const QTextBlock& block, const QString& property) {
    const QTextBlockFormat format = block.blockFormat();
    const QString name = property.section('=', 0, 0);
    const QString value = property.section('=', 1);
    const auto compare = [&](qreal actual) {
        return near(actual, value) ? QString()
                                   : QStringLiteral("%1, found %2").arg(property).arg(actual);
    };
    if (name == "align") {
        const QString actual = alignmentName(format.alignment());
        return actual == value ? QString() : property + ", found " + actual;
    }
    if (name == "left") {
        return compare(format.leftMargin());
    }
    if (name == "right") {
        return compare(format.rightMargin());
    }
    if (name == "indent") {
        return compare(format.textIndent());
    }
    if (name == "top") {
        return compare(format.topMargin());
    }
    if (name == "bottom") {
        return compare(format.bottomMargin());
    }
    if (name == "tabs") {
        return compare(format.tabPositions().size());
    }
    if (name == "first-tab") {
        return compare(format.tabPositions().value(0).position);
    }
    if (name == "first-tabs") {
        // The first stops, after which more may follow.
        QStringList actual;
        for (const QTextOption::Tab& tab : format.tabPositions().mid(0, value.count(',') + 1)) {
            actual << QString::number(tab.position);
        }
        return actual.join(',') == value ? QString() : property + ", found " + actual.join(',');
    }
    if (name == "direction") {
        // The direction the text is laid out in, which Qt guesses from it where none is set.
        const QString actual = block.textDirection() == Qt::RightToLeft ? "rtl" : "ltr";
        return actual == value ? QString() : property + ", found " + actual;
    }
    if (name == "page-break" || name == "!page-break") {
        const bool actual = format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
        return actual == (name == "page-break") ? QString() : property + " does not hold";
    }
    if (name == "line") {
        static const char* const types[] = {"single", "proportional", "fixed", "minimum"};
        const QString actual = QStringLiteral("%1:%2")
                                   .arg(types[std::clamp(format.lineHeightType(), 0, 3)])
                                   .arg(format.lineHeight());
        return actual == value ? QString() : property + ", found " + actual;
    }
    return QStringLiteral("unknown property ") + property;
}

// The n-th table of the document (0-based), or null.
QTextTable* tableOf(QTextDocument& document, const QString& n) {
    int index = n.toInt();
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (table != nullptr && index-- == 0) {
            return table;
        }
    }
    return nullptr;
}

// The block's text, escaped, with each turned line's degrees and text.
QString shownText(const QTextBlock& block) {
    QString text;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        if (format.objectType() != qtbackend::RotatedTextObjectType) {
            text += it.fragment().text();
            continue;
        }
        text += QChar(TurnedLine) + QString::number(format.intProperty(RotationKey)) + '[' +
                format.stringProperty(RotatedTextKey) + ']';
    }
    return escape(text);
}

QString cellText(const QTextTableCell& cell) {
    QStringList paragraphs;
    for (auto it = cell.begin(); !it.atEnd(); ++it) {
        paragraphs << shownText(it.currentBlock());
    }
    return paragraphs.join('|');
}

QString checkCell(QTextTable& table, const QStringList& parts) {
    const QTextTableCell cell = table.cellAt(parts[2].toInt(), parts[3].toInt());
    if (!cell.isValid()) {
        return QStringLiteral("no such cell");
    }
    const QString actual = QStringLiteral("starts at %1 %2, spans %3x%4, \"%5\"")
                               .arg(cell.row())
                               .arg(cell.column())
                               .arg(cell.rowSpan())
                               .arg(cell.columnSpan())
                               .arg(cellText(cell));
    const QString expected = QStringLiteral("starts at %1 %2, spans %3, \"%4\"")
                                 .arg(parts[2], parts[3], parts[4], parts[5]);
    return actual == expected ? QString() : "expected " + expected + ", found " + actual;
}

QString columnWidths(const QTextTable& table) {
    QStringList widths;
    for (const QTextLength& width : table.format().columnWidthConstraints()) {
        widths << (width.type() == QTextLength::FixedLength ? QString::number(width.rawValue())
                                                            : QStringLiteral("*"));
    }
    return widths.join(' ');
}

// The n-th picture of the document (0-based), in document order; an invalid format if none.
QTextImageFormat imageOf(const QTextDocument& document, int n) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            // Alike pictures side by side share a fragment, one character each.
            if (format.isImageFormat() && (n -= it.fragment().length()) < 0) {
                return format.toImageFormat();
            }
        }
    }
    return {};
}

QString checkImage(QTextDocument& document, const QStringList& parts) {
    const QTextImageFormat image = imageOf(document, parts[1].toInt());
    if (!image.isValid()) {
        return QStringLiteral("no such image");
    }
    const QImage pixels =
        image.name().isEmpty()
            ? QImage()
            : document.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
    QString actual = QStringLiteral("%1 %2x%3")
                         .arg(pixels.isNull() ? "blank" : "bitmap")
                         .arg(image.width())
                         .arg(image.height());
    if (!pixels.isNull()) {
        actual += QStringLiteral(" pixels=%1x%2 %3")
                      .arg(pixels.width())
                      .arg(pixels.height())
                      .arg(QColor(pixels.pixel(0, 0)).name());
    }
    const QString expected = parts.mid(2).join(' ');
    return actual == expected ? QString() : "expected " + expected + ", found " + actual;
}

class RichTextGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(RichTextGolden, readsAsExpected) {
    const QString base = dataDirectory() + "/" + QString::fromStdString(GetParam());
    const QByteArray rtf = readFile(base + ".rtf");
    const QByteArray expected = readFile(base + ".expected");
    ASSERT_FALSE(rtf.isEmpty());
    ASSERT_FALSE(expected.isEmpty()) << "missing " << (base + ".expected").toStdString();

    QTextDocument document;
    qtbackend::readRichTextContent(rtf, document);
    // Positions of the layout and the length of the text count alike.
    EXPECT_EQ(document.toPlainText().size(), document.characterCount() - 1);

    QStringList actualBlocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        actualBlocks << shownText(block);
    }

    QStringList expectedBlocks;
    int checks = 0;
    for (const QString& line : QString::fromUtf8(expected).split('\n')) {
        if (line.startsWith("text:")) {
            expectedBlocks << escape(unescape(line.mid(5).trimmed()));
            continue;
        }
        const QStringList parts = words(line);
        if (parts.isEmpty() || parts[0].startsWith('#')) {
            continue;
        }
        ++checks;
        if (parts[0] == "char" && parts.size() >= 3) {
            const QTextCursor found =
                document.find(unescape(parts[1]), 0, QTextDocument::FindCaseSensitively);
            ASSERT_FALSE(found.isNull()) << "no \"" << parts[1].toStdString() << "\"";
            for (int position = found.selectionStart(); position < found.selectionEnd();
                 ++position) {
                QTextCursor at(&document);
                at.setPosition(position + 1);
                for (const QString& property : parts.mid(2)) {
                    const QString problem = checkChar(at.charFormat(), property);
                    EXPECT_TRUE(problem.isEmpty())
                        << "\"" << parts[1].toStdString() << "\": " << problem.toStdString();
                }
            }
        } else if (parts[0] == "block" && parts.size() >= 3) {
            const QTextBlock block = document.findBlockByNumber(parts[1].toInt());
            ASSERT_TRUE(block.isValid()) << "no block " << parts[1].toStdString();
            for (const QString& property : parts.mid(2)) {
                const QString problem = checkBlock(block, property);
                EXPECT_TRUE(problem.isEmpty())
                    << "block " << parts[1].toStdString() << ": " << problem.toStdString();
            }
        } else if (parts[0] == "table" && parts.size() == 4) {
            QTextTable* table = tableOf(document, parts[1]);
            ASSERT_NE(table, nullptr) << "no table " << parts[1].toStdString();
            EXPECT_EQ(QStringLiteral("rows=%1").arg(table->rows()), parts[2]);
            EXPECT_EQ(QStringLiteral("columns=%1").arg(table->columns()), parts[3]);
        } else if (parts[0] == "widths" && parts.size() >= 3) {
            QTextTable* table = tableOf(document, parts[1]);
            ASSERT_NE(table, nullptr) << "no table " << parts[1].toStdString();
            EXPECT_EQ(columnWidths(*table).toStdString(), parts.mid(2).join(' ').toStdString());
        } else if (parts[0] == "cell" && parts.size() == 6) {
            QTextTable* table = tableOf(document, parts[1]);
            ASSERT_NE(table, nullptr) << "no table " << parts[1].toStdString();
            const QString problem = checkCell(*table, parts);
            EXPECT_TRUE(problem.isEmpty()) << line.toStdString() << ": " << problem.toStdString();
        } else if (parts[0] == "image" && parts.size() >= 4) {
            const QString problem = checkImage(document, parts);
            EXPECT_TRUE(problem.isEmpty()) << line.toStdString() << ": " << problem.toStdString();
        } else {
            ADD_FAILURE() << "cannot read check: " << line.toStdString();
        }
    }
    EXPECT_EQ(actualBlocks.join('\n').toStdString(), expectedBlocks.join('\n').toStdString());
    EXPECT_FALSE(expectedBlocks.isEmpty() && checks == 0) << "an .expected file checks nothing";
}

INSTANTIATE_TEST_SUITE_P(Samples, RichTextGolden, ::testing::ValuesIn(sampleNames()),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

} // namespace
