// RTF pieces that golden files cannot hold well: the lexer's tokens, malformed and hostile
// input, and generated documents of every size.

#include <ostream>
#include <string>
#include <vector>

#include <QFont>
#include <QFontInfo>
#include <QGlyphRun>
#include <QImage>
#include <QSet>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <gtest/gtest.h>

#include "platform/qt/richtext/FontFaceBudget.h"
#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/RichTextReader.h"
#include "platform/qt/richtext/RtfLexer.h"
#include "platform/qt/richtext/RtfNumberFormat.h"
#include "platform/qt/richtext/RtfTableFit.h"

namespace {

using qtbackend::RtfLexer;
using qtbackend::RtfToken;

// The tokens of an input, one short string each.
std::vector<std::string> tokens(std::string_view input) {
    std::vector<std::string> result;
    RtfLexer lexer(input);
    for (RtfToken token = lexer.next(); token.kind != RtfToken::Kind::End; token = lexer.next()) {
        switch (token.kind) {
        case RtfToken::Kind::GroupStart:
            result.push_back("{");
            break;
        case RtfToken::Kind::GroupEnd:
            result.push_back("}");
            break;
        case RtfToken::Kind::ControlWord:
            result.push_back("\\" + std::string(token.name) +
                             (token.hasParameter ? std::to_string(token.parameter) : ""));
            break;
        case RtfToken::Kind::ControlSymbol:
            result.push_back(std::string("\\") + token.symbol);
            break;
        case RtfToken::Kind::HexByte:
            result.push_back("x" + std::to_string(token.byte));
            break;
        case RtfToken::Kind::Text:
            result.push_back("'" + std::string(token.text) + "'");
            break;
        case RtfToken::Kind::Binary:
            result.push_back("bin:" + std::string(token.text));
            break;
        case RtfToken::Kind::End:
            break;
        }
    }
    return result;
}

struct LexerCase {
    const char* name;
    std::string input;
    std::vector<std::string> expected;
};

// Rows are shown by name in test listings.
void PrintTo(const LexerCase& row, std::ostream* out) {
    *out << row.name;
}

class Lexer : public ::testing::TestWithParam<LexerCase> {};

TEST_P(Lexer, tokens) {
    EXPECT_EQ(tokens(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, Lexer,
    ::testing::Values(
        LexerCase{"words_and_delimiting_space",
                  "{\\b bold\\b0  x}",
                  {"{", "\\b", "'bold'", "\\b0", "' x'", "}"}},
        LexerCase{"negative_parameter", "\\u-3913?", {"\\u-3913", "'?'"}},
        LexerCase{"minus_without_digits_is_not_a_parameter", "\\li-x", {"\\li", "'-x'"}},
        LexerCase{"parameter_clamped",
                  "\\fs99999999999999 \\fs-99999999999999",
                  {"\\fs2147483647", "\\fs-2147483648"}},
        LexerCase{"hex", "\\'e9\\'FFa", {"x233", "x255", "'a'"}},
        LexerCase{"malformed_hex", "\\'zz\\'4", {"\\'", "'zz'", "\\'", "'4'"}},
        LexerCase{"symbols", "\\~\\-\\\\\\{\\}\\*", {"\\~", "\\-", "\\\\", "\\{", "\\}", "\\*"}},
        LexerCase{"line_ends_ignored", "a\r\nb\n\\par\rc", {"'a'", "'b'", "\\par", "'c'"}},
        LexerCase{"binary_is_raw", "\\bin3 {}\\x", {"bin:{}\\", "'x'"}},
        LexerCase{"binary_bounded_by_input", "\\bin2147483647 ab", {"bin:ab"}},
        LexerCase{"negative_binary_is_empty", "\\bin-5 ab", {"bin:", "'ab'"}},
        LexerCase{"backslash_at_end", "a\\", {"'a'"}},
        LexerCase{"long_word_cut",
                  "\\" + std::string(40, 'a') + " x",
                  {"\\" + std::string(32, 'a'), "'x'"}}),
    [](const auto& info) { return std::string(info.param.name); });

QString read(const std::string& rtf) {
    QTextDocument document;
    qtbackend::readRichTextContent(QByteArray::fromStdString(rtf), document);
    EXPECT_EQ(document.toPlainText().size(), document.characterCount() - 1);
    return document.toPlainText();
}

struct MalformedCase {
    const char* name;
    std::string rtf;
    std::u16string expected;
};

// Rows are shown by name in test listings.
void PrintTo(const MalformedCase& row, std::ostream* out) {
    *out << row.name;
}

class Malformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(Malformed, readsWhatCanBeRead) {
    EXPECT_EQ(read(GetParam().rtf).toStdU16String(), GetParam().expected);
}

std::string repeated(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

std::string nested(int depth, const std::string& inner) {
    return "{\\rtf1 a" + std::string(depth, '{') + inner + std::string(depth, '}') + "b}";
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Malformed,
    ::testing::Values(
        MalformedCase{"missing_closing_braces", "{\\rtf1 {\\b bold {\\i more", u"bold more"},
        MalformedCase{"extra_closing_brace_ends_document", "{\\rtf1 a}}} b}", u"a"},
        MalformedCase{"nothing_after_header", "{\\rtf", u""},
        MalformedCase{"depth_below_limit_is_read", nested(150, "deep"), u"adeepb"},
        MalformedCase{"depth_beyond_limit_is_skipped", nested(100000, "deep"), u"ab"},
        MalformedCase{"binary_swallows_braces", "{\\rtf1 a{\\*\\pict\\bin4 }}}}}b}", u"ab"},
        MalformedCase{"binary_longer_than_input", "{\\rtf1 a{\\pict\\bin99999 }", u"a"},
        MalformedCase{"huge_unicode_skip", "{\\rtf1 {\\uc2147483647\\u65 skipped} kept}",
                      u"A kept"},
        MalformedCase{"unicode_out_of_range", "{\\rtf1 \\u2147483647 x}", u"\uFFFD"},
        MalformedCase{"structural_characters_as_text",
                      "{\\rtf1\\uc0 a\\u8233 b\\u-560 c\\u-4 d\\u10 e\\'0af}",
                      u"a\uFFFDb\uFFFDc\uFFFDde\nf"},
        MalformedCase{"lone_surrogates", "{\\rtf1\\uc0 \\u-10179 x\\u-8694 y}", u"\uFFFDx\uFFFDy"},
        MalformedCase{"paired_surrogates", "{\\rtf1 \\u-10179?\\u-8694?}", u"\U0001F60A"},
        MalformedCase{"font_numbers_huge_and_missing",
                      "{\\rtf1{\\fonttbl{\\f2147483647 A;}{\\f-5 B}}\\f2147483647 x\\f77 y}",
                      u"xy"},
        MalformedCase{"colour_index_outside_table", "{\\rtf1{\\colortbl;}\\cf99999 x\\cb-3 y}",
                      u"xy"},
        MalformedCase{"cells_without_table", "{\\rtf1 a\\cell b\\row\\row c\\cell}",
                      u"\na\nb\nc\n\n"},
        MalformedCase{"text_versions_without_unicode_version",
                      "{\\rtf1{\\upr{a{\\upr{b}{\\*\\ud{c}}}}}{\\upr{d}{e}}{\\upr{f", u"abdef"},
        MalformedCase{"text_versions_nested_without_unicode_version",
                      "{\\rtf1 " + repeated("{\\upr{x ", 40000) + std::string(80000, '}') + "}",
                      QString::fromLatin1(repeated("x ", 40000)).toStdU16String()},
        MalformedCase{"row_without_cells", "{\\rtf1 \\trowd\\row x}", u"x"},
        MalformedCase{"equation_cut_short", "{\\rtf1 a{\\mmath{\\*\\moMath{\\mf{\\mnum{\\mr x",
                      u"ax/"},
        MalformedCase{"equation_nested_past_its_limit",
                      "{\\rtf1{\\*\\moMath " + repeated("{\\me ", 99000) + "\\mf{\\mnum x}" +
                          std::string(99000, '}') + "}}",
                      u"x"},
        MalformedCase{"equation_text_beside_slots",
                      "{\\rtf1{\\*\\moMath{\\md{\\me a}b}{\\mf{\\mnum c}{\\mnum d}{\\mden e}}}}",
                      u"(a)bc/ed"},
        MalformedCase{"equation_parts_outside_an_equation", "{\\rtf1 {\\mf{\\mnum a}{\\mden b}}}",
                      u"ab"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RtfNumberFormats, eastAsianAndRightToLeftFormatsCountAsWordDoes) {
    using F = qtbackend::RtfNumberFormat;
    struct Row {
        F format;
        std::vector<std::int64_t> values;
        std::u16string expected; // the values' numbers, apart by spaces
    };
    const std::vector<Row> rows = {
        {F::Aiueo, {1, 46, 47, 0}, u"ｱ ﾝ ｱ 0"},
        {F::IrohaFullWidth, {1, 25, 48, 49}, u"イ ヰ ン イ"},
        {F::Ganada, {1, 14, 15}, u"가 하 가"},
        {F::IdeographDigital, {10, 105}, u"一〇 一〇五"},
        {F::JapaneseCounting, {10, 101, 12345}, u"十 百一 一万二千三百四十五"},
        {F::ChineseCountingThousand,
         {11, 101, 10010, 100000000},
         u"十一 一百零一 一万零一十 100000000"},
        {F::JapaneseLegal, {10, 1000}, u"壱拾 壱阡"},
        {F::IdeographLegalTraditional, {101, 12345}, u"壹佰零壹 壹萬貳仟參佰肆拾伍"},
        {F::KoreanCounting, {10000, 12345}, u"만 만이천삼백사십오"},
        {F::KoreanLegal, {1, 99, 100}, u"하나 아흔아홉 백"},
        {F::IdeographZodiacTraditional, {1, 60, 61}, u"甲子 癸亥 61"},
        {F::IdeographEnclosedCircle, {1, 11}, u"㈠ 11"},
        {F::EnclosedFullStop, {20, 21}, u"⒛ 21"},
        {F::Hebrew1, {15, 16, 499, 1000}, u"טו טז תצט 1000"},
        {F::Hebrew2, {22, 23}, u"ת אא"},
        {F::ArabicAbjad, {1, 29}, u"ا اا"},
    };
    for (const Row& row : rows) {
        QStringList numbers;
        for (const std::int64_t value : row.values) {
            numbers << qtbackend::formatListNumber(value, row.format);
        }
        EXPECT_EQ(numbers.join(u' ').toStdU16String(), row.expected) << int(row.format);
    }
}

TEST(RtfParagraphs, marginsFitTheDeviceTheyAreLaidOutOn) {
    QTextDocument document;
    qtbackend::readRichTextContent("{\\rtf1\\li1440\\ri720\\fi-720\\sb240\\sa480 x\\par y}",
                                   document);
    const auto margins = [&document](int block) {
        const QTextBlockFormat format = document.findBlockByNumber(block).blockFormat();
        return std::vector<qreal>{format.leftMargin(), format.rightMargin(), format.textIndent(),
                                  format.topMargin(), format.bottomMargin()};
    };
    EXPECT_EQ(margins(0), (std::vector<qreal>{96, 48, -48, 16, 32}));
    // Spacing above and below stays: Qt's layout scales it to the device itself.
    qtbackend::fitParagraphsToDevice(document, 600);
    EXPECT_EQ(margins(0), (std::vector<qreal>{600, 300, -300, 16, 32}));
    EXPECT_EQ(margins(1), (std::vector<qreal>{600, 300, -300, 16, 32}));
    qtbackend::fitParagraphsToDevice(document, 96);
    EXPECT_EQ(margins(0), (std::vector<qreal>{96, 48, -48, 16, 32}));
}

TEST(RtfTables, cellsBeyondColumnLimitStayInTheLastCell) {
    std::string rtf = "{\\rtf1\\trowd\\pard\\intbl ";
    for (int i = 0; i < 70; ++i) {
        rtf += std::to_string(i) + "\\cell ";
    }
    rtf += "\\row}";
    const QString text = read(rtf);
    EXPECT_TRUE(text.contains(QStringLiteral("\n62\n63\n64\n65")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("69\n")));
}

TEST(RtfTables, longTablesKeepEveryCellInOrderInPartsWithoutGaps) {
    // As many rows as leave a last part small enough for the cells still allowed in tables.
    std::string rtf = "{\\rtf1";
    QString cells;
    for (int i = 0; i < 2999; ++i) {
        rtf += "\\trowd\\cellx1000\\cellx2000\\cellx3000\\pard\\intbl r" + std::to_string(i) +
               "\\cell x\\cell y\\cell\\row";
        cells += QStringLiteral("r%1\nx\ny\n").arg(i);
    }
    rtf += "\\pard after\\par}";
    QTextDocument document;
    qtbackend::readRichTextContent(QByteArray::fromStdString(rtf), document);
    // Tables as long as their cost allows, the rest as paragraphs with the cells apart by tabs.
    QString text = document.toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("\nr2998\tx\ty\n")));
    text.replace(QLatin1Char('\t'), QLatin1Char('\n'));
    EXPECT_EQ(text.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QLatin1Char('\n')),
              cells + QStringLiteral("after"));

    // The paragraph Qt keeps between two tables takes no room where they are parts of one, and
    // once a table goes on as paragraphs, no part of it is a table again.
    int tables = 0;
    bool paragraphs = false;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        const QTextBlock block = it.currentBlock();
        const bool table = qobject_cast<QTextTable*>(it.currentFrame()) != nullptr;
        tables += table ? 1 : 0;
        EXPECT_FALSE(table && paragraphs);
        paragraphs = paragraphs || (block.isValid() && block.text().contains(u'\t'));
        if (block.isValid() && tables > 0 && block.next().isValid() &&
            document.frameAt(block.next().position()) != document.rootFrame()) {
            EXPECT_EQ(block.blockFormat().lineHeightType(), QTextBlockFormat::FixedHeight);
            EXPECT_EQ(block.blockFormat().lineHeight(), 0);
        }
    }
    EXPECT_GT(tables, 1);
    EXPECT_TRUE(paragraphs);
}

TEST(RtfTables, partsOfOneTableKeepItsColumnsWhenFitted) {
    // A heading row and rows whose edges are a few twips off it, as word processors write them,
    // and a wide word in a late part only: every part is fitted on the same columns.
    std::string rtf = "{\\rtf1\\trowd\\cellx3000\\cellx6000\\cellx12000\\pard\\intbl a\\cell "
                      "b\\cell c\\cell\\row";
    for (int i = 0; i < 400; ++i) {
        rtf += "\\trowd\\cellx3006\\cellx6011\\cellx12000\\pard\\intbl ";
        rtf += i == 390 ? "WWWWWWWWWWWWWWWWWWWW" : std::to_string(i);
        rtf += "\\cell x\\cell y\\cell\\row";
    }
    rtf += "}";
    QTextDocument document;
    qtbackend::readRichTextContent(QByteArray::fromStdString(rtf), document);
    QImage device(1, 1, QImage::Format_RGB32);
    qtbackend::fitTablesToWidth(document, device, 300);
    std::vector<QTextTableFormat> parts;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        parts.push_back(qobject_cast<QTextTable*>(frame)->format());
    }
    ASSERT_GT(parts.size(), 2U);
    for (const QTextTableFormat& part : parts) {
        EXPECT_EQ(part.columnWidthConstraints().size(), 3);
        EXPECT_EQ(part.columnWidthConstraints(), parts.front().columnWidthConstraints());
        EXPECT_EQ(part.cellPadding(), parts.front().cellPadding());
        EXPECT_EQ(part.property(qtbackend::richtext::TableTextScaleKey),
                  parts.front().property(qtbackend::richtext::TableTextScaleKey));
    }
}

} // namespace

TEST(RtfFonts, aDocumentPrintsInABoundedNumberOfFaces) {
    // A size for every character and a font of 40 in turn: the first faces of the first families
    // print as asked, the rest in the nearest of those, and every character is kept.
    std::string rtf = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 40; ++i) {
        rtf += "{\\f" + std::to_string(i) + " Family " + std::to_string(i) + ";}";
    }
    rtf += "}";
    for (int i = 0; i < 400; ++i) {
        rtf += "\\f" + std::to_string(i % 40) + "\\fs" + std::to_string(20 + i) + " x";
    }
    rtf += "}";
    QTextDocument document;
    qtbackend::readRichTextContent(QByteArray::fromStdString(rtf), document);
    EXPECT_EQ(document.toPlainText(), QString(400, u'x'));
    QSet<QString> faces;
    QSet<QString> families;
    QTextCursor cursor(&document);
    for (int position = 1; position <= 400; ++position) {
        cursor.setPosition(position);
        const QTextCharFormat format = cursor.charFormat();
        families.insert(format.fontFamilies().toStringList().join(u','));
        faces.insert(format.fontFamilies().toStringList().join(u',') + u'/' +
                     QString::number(format.fontPointSize()));
    }
    EXPECT_EQ(faces.size(), qsizetype(qtbackend::FontFaceBudget::MaxFaces));
    EXPECT_EQ(families.size(), qtbackend::FontFaceBudget::MaxFamilies);
    cursor.setPosition(1);
    EXPECT_EQ(cursor.charFormat().fontFamilies().toStringList(), QStringList{"Family 0"});
    EXPECT_EQ(cursor.charFormat().fontPointSize(), 10);
}

TEST(RtfFonts, theSystemsTwinOfANamedFontWinsOverTheKindOfFont) {
    // fontconfig prints Arial Narrow in a narrow twin; the file's \fswiss must not replace it
    // with the generic sans serif. A font nobody has prints in the generic family of its kind.
    QTextDocument document;
    qtbackend::readRichTextContent("{\\rtf1{\\fonttbl{\\f0\\fswiss Arial Narrow;}{\\f1\\froman "
                                   "Times New Roman;}{\\f2\\froman No Such Face;}}"
                                   "\\f0 a\\f1 b\\f2 c}",
                                   document);
    const auto printed = [&document](int position) {
        QTextCursor cursor(&document);
        cursor.setPosition(position);
        return QFontInfo(cursor.charFormat().font().resolve(document.defaultFont())).family();
    };
    const auto alone = [](const QString& family, QFont::StyleHint hint) {
        QFont font(family);
        font.setStyleHint(hint);
        return QFontInfo(font).family();
    };
    ASSERT_NE(alone(u"Arial Narrow"_qs, QFont::AnyStyle),
              alone(u"Arial Narrow"_qs, QFont::SansSerif));
    EXPECT_EQ(printed(1), alone(u"Arial Narrow"_qs, QFont::AnyStyle));
    EXPECT_EQ(printed(2), alone(u"Times New Roman"_qs, QFont::AnyStyle));
    EXPECT_EQ(printed(3), alone(u"No Such Face"_qs, QFont::Serif));
    EXPECT_NE(printed(3), alone(u"No Such Face"_qs, QFont::AnyStyle));
}

TEST(RtfFonts, latinTextPrintsWithoutLigaturesAndWithItsMarksInPlace) {
    // A ligature's glyph prints, but the PDF's text loses the letters it joins (Carlito, the
    // twin of Calibri, joins all of these). A combining mark is put in place by shaping: in
    // Liberation Serif and DejaVu Sans Mono the font's own "é" stands for "e" and U+0301.
    const auto glyphs = [](const QByteArray& content, int position, const QString& text) {
        QTextDocument document;
        qtbackend::readRichTextContent(content, document);
        QTextCursor cursor(&document);
        cursor.setPosition(position);
        QTextLayout layout(text, cursor.charFormat().font().resolve(document.defaultFont()));
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        qsizetype count = 0;
        for (const QGlyphRun& run : layout.glyphRuns()) {
            count += run.glyphIndexes().size();
        }
        return count;
    };
    const QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0\\fswiss Calibri;}{\\f1\\froman Times New "
                           "Roman;}}\\f0 office fifty {\\b affix cestiti}\\f1  Cafe\\u769?}";
    EXPECT_EQ(glyphs(rtf, 1, u"office fifty"_qs), 12);
    EXPECT_EQ(glyphs(rtf, 15, u"affix cestiti"_qs), 13);
    EXPECT_EQ(glyphs(rtf, 28, u"Cafe\u0301"_qs), 4);
    EXPECT_EQ(glyphs("office Cafe\xcc\x81", 1, u"office Cafe\u0301"_qs), 11);
}
