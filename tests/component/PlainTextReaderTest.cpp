// Plain text files: encodings, line ends, page breaks and the plain text's length.

#include "platform/qt/richtext/PlainTextReader.h"

#include <ostream>
#include <string>
#include <vector>

#include <QFontInfo>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "platform/qt/richtext/LongWordBreaker.h"
#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/RichTextReader.h"

namespace {

QByteArray bytes(std::string_view text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

struct DecodeCase {
    const char* name;
    std::string input;
    std::u16string expected;
};

// Rows are shown by name in test listings.
void PrintTo(const DecodeCase& row, std::ostream* out) {
    *out << row.name;
}

class PlainTextDecoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(PlainTextDecoding, decodes) {
    const DecodeCase& row = GetParam();
    EXPECT_EQ(qtbackend::decodePlainText(bytes(row.input)).toStdU16String(), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, PlainTextDecoding,
    ::testing::Values(
        DecodeCase{"ascii", "plain", u"plain"},
        DecodeCase{"utf8",
                   "Gr\xC3\xBC\xC3\x9F"
                   "e \xE2\x82\xAC \xF0\x9F\x98\x80",
                   u"Grüße € \U0001F600"},
        DecodeCase{"utf8_bom", "\xEF\xBB\xBFok \xC3\xA9", u"ok é"},
        DecodeCase{"utf8_bom_invalid_byte",
                   "\xEF\xBB\xBF"
                   "a\xFF"
                   "b",
                   u"a\uFFFDb"},
        DecodeCase{"utf16le_bom", std::string("\xFF\xFEh\0\xE9\0\x3B\x04", 8), u"hé\u043B"},
        DecodeCase{"utf16be_bom", std::string("\xFE\xFF\0h\x04\x3B\xD8\x3D\xDE\x00", 10),
                   u"h\u043B\U0001F600"},
        DecodeCase{"utf16_odd_length", std::string("\xFF\xFEh\0i", 5), u"h\uFFFD"},
        DecodeCase{"windows1252", "caf\xE9 \x80 \x93quoted\x94 \x85", u"café € “quoted” …"},
        DecodeCase{"windows1252_undefined_bytes", "\x81\x8D", u"\u0081\u008D"},
        // Not UTF-8: a surrogate, an overlong form, a code point above U+10FFFF, a cut sequence.
        DecodeCase{"utf8_surrogate_is_1252", "\xED\xA0\x80", u"í\u00A0€"},
        DecodeCase{"utf8_overlong_is_1252", "\xC0\xAF", u"À¯"},
        DecodeCase{"utf8_too_high_is_1252", "\xF4\x90\x80\x80", u"ô\u0090€€"},
        DecodeCase{"utf8_cut_is_1252", "ok\xC3", u"okÃ"}, DecodeCase{"empty", "", u""}),
    [](const auto& info) { return std::string(info.param.name); });

struct LinesCase {
    const char* name;
    std::string input;
    std::vector<std::u16string> blocks;
    std::vector<int> pageBreaks;         // blocks that start a new page
    std::vector<int> wrapsAnywhere = {}; // blocks that wrap at any character
};

// Rows are shown by name in test listings.
void PrintTo(const LinesCase& row, std::ostream* out) {
    *out << row.name;
}

class PlainTextLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(PlainTextLines, oneParagraphPerLine) {
    const LinesCase& row = GetParam();
    QTextDocument document;
    qtbackend::readRichTextContent(bytes(row.input), document);

    std::vector<std::u16string> blocks;
    std::vector<int> pageBreaks;
    std::vector<int> wrapsAnywhere;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        blocks.push_back(block.text().toStdU16String());
        if (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) {
            pageBreaks.push_back(block.blockNumber());
        }
        if (block.blockFormat().boolProperty(qtbackend::richtext::WrapAnywhereKey)) {
            wrapsAnywhere.push_back(block.blockNumber());
        }
    }
    EXPECT_EQ(blocks, row.blocks);
    EXPECT_EQ(pageBreaks, row.pageBreaks);
    EXPECT_EQ(wrapsAnywhere, row.wrapsAnywhere);
    // Each line break is one position, as in the layout.
    EXPECT_EQ(document.toPlainText().size(), document.characterCount() - 1);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, PlainTextLines,
    ::testing::Values(
        LinesCase{"lf", "one\ntwo\nthree", {u"one", u"two", u"three"}, {}},
        LinesCase{"crlf", "one\r\ntwo\r\n", {u"one", u"two"}, {}},
        LinesCase{"cr", "one\rtwo\r", {u"one", u"two"}, {}},
        LinesCase{"mixed", "a\r\n\rb\n\nc", {u"a", u"", u"b", u"", u"c"}, {}},
        LinesCase{"lf_cr_is_two_ends", "a\n\rb", {u"a", u"", u"b"}, {}},
        LinesCase{"only_line_end", "\n", {u""}, {}}, LinesCase{"empty", "", {u""}, {}},
        // Tabs become spaces up to the next multiple of eight columns; a combining mark takes no
        // column, a character beyond the BMP one.
        LinesCase{"tabs_expanded",
                  "a\tb\t\tc\n12345678\tx\n1234567\tx",
                  {u"a       b               c", u"12345678        x", u"1234567 x"},
                  {}},
        LinesCase{"tab_columns_count_characters",
                  "e\xCC\x81\t|\n\xF0\x9F\x98\x80\t|",
                  {u"e\u0301       |", u"\U0001F600       |"},
                  {}},
        LinesCase{"utf16_line_ends",
                  std::string("\xFF\xFE"
                              "a\0\r\0\n\0b\0",
                              10),
                  {u"a", u"b"},
                  {}},
        LinesCase{"form_feed_line", "page one\n\fpage two\n", {u"page one", u"page two"}, {1}},
        LinesCase{"form_feed_own_line", "a\n\f\nb", {u"a", u"b"}, {1}},
        LinesCase{"form_feed_mid_line", "a\fb", {u"a", u"b"}, {1}},
        LinesCase{"form_feed_first_and_last", "\fa\n\f", {u"a"}, {}},
        LinesCase{"page_break_ends_at_next_line", "a\fb\nc\nd", {u"a", u"b", u"c", u"d"}, {1}},
        // A line holding a word too long for word wrapping wraps anywhere, as it is; prose and
        // the lines around it wrap at words.
        LinesCase{"long_word_wraps_anywhere",
                  "a\n" + std::string(3000, 'x') + "\n\f" + std::string(3000, 'y') + "\nb\nc\n" +
                      std::string(600, 'z') + " " + std::string(600, 'z'),
                  {u"a", std::u16string(3000, u'x'), std::u16string(3000, u'y'), u"b", u"c",
                   std::u16string(600, u'z') + u" " + std::u16string(600, u'z')},
                  {2},
                  {1, 2}},
        // Characters Qt reads as structure stay text; other control characters are dropped.
        LinesCase{"structural_characters",
                  "a\xEF\xB7\x90"
                  "b\xEF\xBF\xBC"
                  "c\x1B[0m\x01",
                  {u"a\uFFFDb\uFFFDc[0m"},
                  {}},
        LinesCase{"unicode_separators",
                  "a\xE2\x80\xA9"
                  "b\xE2\x80\xA8"
                  "c",
                  {u"a", u"b\u2028c"},
                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlainTextFont, fixedPitchTenPoints) {
    QTextDocument document;
    qtbackend::readRichTextContent("x", document);
    const QFont font = document.begin().charFormat().font();
    EXPECT_TRUE(QFontInfo(font).fixedPitch());
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 10);
    EXPECT_EQ(document.defaultFont().family(), font.family());
}

TEST(PlainTextFont, rtfExtensionDoesNotMatterOnlyTheContent) {
    QTextDocument document;
    qtbackend::readRichTextContent(" {\\rtf1 x}", document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral(" {\\rtf1 x}"));
}

} // namespace

// Words longer than Qt's line breaking can afford get break opportunities; nothing else changes.
struct LongWordCase {
    const char* name;
    std::vector<std::u16string> pieces; // appended one after the other, as runs of a paragraph
    bool broken;
};

void PrintTo(const LongWordCase& row, std::ostream* out) {
    *out << row.name;
}

class LongWords : public ::testing::TestWithParam<LongWordCase> {};

TEST_P(LongWords, breakOnlyWhereNoOpportunityIsNear) {
    const LongWordCase& row = GetParam();
    qtbackend::LongWordBreaker breaker;
    QString out;
    QString in;
    for (const std::u16string& piece : row.pieces) {
        in += QString::fromStdU16String(piece);
        breaker.append(out, QString::fromStdU16String(piece));
    }
    const qsizetype breaks = out.count(QChar(0x200B));
    EXPECT_EQ(breaks > 0, row.broken);
    EXPECT_EQ(qtbackend::LongWordBreaker::holdsLongRun(in), row.broken);
    EXPECT_EQ(QString(out).remove(QChar(0x200B)), in);
    // No run without a break opportunity longer than the limit, and no break inside a pair.
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, out);
    qsizetype run = 0;
    for (qsizetype i = 1; i <= out.size(); ++i) {
        lines.setPosition(i);
        run = lines.isAtBoundary() ? 0 : run + 1;
        ASSERT_LE(run, qtbackend::LongWordBreaker::MaxUnbrokenRun +
                           qtbackend::LongWordBreaker::BreakEvery);
        ASSERT_FALSE(out[i - 1] == u'\x200B' && i < out.size() && out[i].isLowSurrogate());
    }
}

std::u16string repeated(std::u16string_view unit, int times) {
    std::u16string text;
    for (int i = 0; i < times; ++i) {
        text += unit;
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LongWords,
    ::testing::Values(
        LongWordCase{"prose", {repeated(u"the quick brown fox ", 500)}, false},
        LongWordCase{"url_of_hundreds", {repeated(u"abcdefghij", 90)}, false},
        LongWordCase{"chinese_breaks_between_characters", {repeated(u"汉字", 3000)}, false},
        LongWordCase{"megabyte_word", {repeated(u"abcdefghij", 3000)}, true},
        LongWordCase{"word_across_runs", {repeated(u"abcdefghij", 80), repeated(u"k", 800)}, true},
        LongWordCase{"pairs_stay_whole", {repeated(u"\U0001D400", 3000)}, true}),
    [](const auto& info) { return std::string(info.param.name); });
