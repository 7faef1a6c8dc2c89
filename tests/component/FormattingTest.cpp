// Page formatting with the real engine: Qt's text layout against in-memory pages of paper.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "platform/qt/richtext/QtRichTextEngine.h"
#include "platform/qt/richtext/RichTextReader.h"
#include "platform/qt/richtext/RtfTableFit.h"
#include "tests/component/RichTextEngineDeviceContext.h"

namespace {

using componenttest::ImageDeviceContext;
using componenttest::rangeFor;
using qtbackend::fitParagraphsToDevice;
using qtbackend::QtRichTextEngine;
using qtbackend::readRichTextContent;

// A text area of 6.5 by 2 inches, an inch from the printable area's corner.
constexpr platform::RECT SmallArea{1440, 1440, 1440 + 9360, 1440 + 2880};

std::unique_ptr<QTextDocument> documentWithFont(int pointSize = 10) {
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(QFont("DejaVu Sans", pointSize));
    return document;
}

std::unique_ptr<QTextDocument> numberedLines(int count, int pointSize = 10) {
    auto document = documentWithFont(pointSize);
    QString text;
    for (int i = 1; i <= count; ++i) {
        text += QStringLiteral("Line %1 of the document\n").arg(i);
    }
    text.chop(1);
    document->setPlainText(text);
    return document;
}

// Formats page after page as the page loop does, measuring only; answers each page's end.
std::vector<int> pageEnds(QtRichTextEngine& engine, ImageDeviceContext& target,
                          const platform::RECT& rc) {
    const int length = static_cast<int>(engine.text().size());
    std::vector<int> ends;
    int from = 0;
    do {
        const platform::FORMATRANGE range = rangeFor(0, target.hDC(), from, rc);
        const int next = engine.formatRange(false, &range);
        ends.push_back(next);
        if (next <= from || ends.size() > 100000) {
            break;
        }
        from = next;
    } while (from < length);
    return ends;
}

// The first page an RTF document prints, laid out and drawn at 600 dpi as on a printer.
QImage printed(const std::string& rtf, QStringList* texts = nullptr, QRect* ink = nullptr) {
    auto document = std::make_unique<QTextDocument>();
    qtbackend::readRichTextContent(QByteArray::fromStdString(rtf), *document);
    QtRichTextEngine engine;
    engine.setDocument(std::move(document));
    ImageDeviceContext page(3, 1, 600);
    const platform::RECT area{0, 0, 4320, 1440};
    const platform::FORMATRANGE range = rangeFor(page.hDC(), page.hDC(), 0, area);
    engine.formatRange(true, &range);
    if (texts != nullptr) {
        componenttest::TextRecordingDeviceContext recording(600);
        const platform::FORMATRANGE again = rangeFor(recording.hDC(), page.hDC(), 0, area);
        engine.formatRange(true, &again);
        *texts = recording.texts;
    }
    if (ink != nullptr) {
        *ink = page.inkBox();
    }
    return page.image();
}

void expectEveryPageAdvancesToTheEnd(const std::vector<int>& ends, int length) {
    ASSERT_FALSE(ends.empty());
    int before = 0;
    for (const int end : ends) {
        EXPECT_GT(end, before);
        before = end;
    }
    EXPECT_EQ(ends.back(), length);
}

TEST(FormattingTest, PagesBreakWhereLinesEnd) {
    QtRichTextEngine engine;
    engine.setDocument(numberedLines(200));
    ImageDeviceContext target(8.5, 11, 150);
    const std::u16string text = engine.text();
    const auto ends = pageEnds(engine, target, SmallArea);

    expectEveryPageAdvancesToTheEnd(ends, static_cast<int>(text.size()));
    // Ten-point lines, about 12 to two inches.
    EXPECT_GE(ends.size(), 200u / 14);
    EXPECT_LE(ends.size(), 200u / 10);
    for (std::size_t page = 0; page + 1 < ends.size(); ++page) {
        EXPECT_EQ(text[ends[page] - 1], u'\n') << "page " << page;
    }
}

TEST(FormattingTest, FontSizesAreInPointsWhateverTheResolution) {
    std::vector<std::size_t> pages;
    for (const int dotsPerInch : {96, 300, 1200}) {
        QtRichTextEngine engine;
        engine.setDocument(numberedLines(200));
        ImageDeviceContext target(0.5, 0.5, dotsPerInch);
        pages.push_back(pageEnds(engine, target, SmallArea).size());
    }
    EXPECT_NEAR(static_cast<double>(pages[0]), static_cast<double>(pages[2]), 1.0);
    EXPECT_NEAR(static_cast<double>(pages[1]), static_cast<double>(pages[2]), 1.0);
}

TEST(FormattingTest, TablesCountEveryCellAndBoundaryAsTheTextDoes) {
    auto document = documentWithFont();
    QTextCursor cursor(document.get());
    cursor.insertText(QStringLiteral("Before the table"));
    QTextTable* table = cursor.insertTable(6, 3);
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 3; ++column) {
            QTextCursor cell = table->cellAt(row, column).firstCursorPosition();
            cell.insertText(QStringLiteral("cell %1,%2 with words enough to wrap in a narrow "
                                           "column of the table")
                                .arg(row)
                                .arg(column));
        }
    }
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("After the table"));
    const int positions = document->characterCount() - 1;

    QtRichTextEngine engine;
    engine.setDocument(std::move(document));
    ImageDeviceContext target(0.5, 0.5, 300);
    const platform::RECT narrow{0, 0, 4320, 1440}; // 3 by 1 inches
    EXPECT_EQ(static_cast<int>(engine.text().size()), positions);
    const auto ends = pageEnds(engine, target, narrow);
    expectEveryPageAdvancesToTheEnd(ends, positions);
    EXPECT_GE(ends.size(), 3u);
}

TEST(FormattingTest, ALineOrParagraphTallerThanThePageStillAdvances) {
    const struct {
        const char* name;
        int pointSize;
        QString text;
        std::size_t minimumPages;
    } cases[] = {
        // 150 points is more than two inches: every line is taller than the page.
        {"lines taller than the page", 150, QStringLiteral("Ab\nCd\nEf"), 3},
        {"one paragraph of many lines", 10, QStringLiteral("word ").repeated(3000), 10},
        {"a word wider than the line", 10, QStringLiteral("x").repeated(20000), 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QtRichTextEngine engine;
        auto document = documentWithFont(c.pointSize);
        document->setPlainText(c.text);
        engine.setDocument(std::move(document));
        ImageDeviceContext target(0.5, 0.5, 300);
        const auto ends = pageEnds(engine, target, SmallArea);
        expectEveryPageAdvancesToTheEnd(ends, static_cast<int>(c.text.size()));
        EXPECT_GE(ends.size(), c.minimumPages);
    }
}

TEST(FormattingTest, APageBreakBeforeAParagraphStartsANewPage) {
    auto document = documentWithFont();
    QTextCursor cursor(document.get());
    cursor.insertText(QStringLiteral("first page"));
    QTextBlockFormat breakBefore;
    breakBefore.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    cursor.insertBlock(breakBefore);
    const int second = cursor.position();
    cursor.insertText(QStringLiteral("second page"));

    QtRichTextEngine engine;
    engine.setDocument(std::move(document));
    ImageDeviceContext target(0.5, 0.5, 300);
    const auto ends = pageEnds(engine, target, SmallArea);
    EXPECT_EQ(ends, (std::vector<int>{second, static_cast<int>(engine.text().size())}));
}

TEST(FormattingTest, FormattingFromInsideAPageEndsWhereThatPageEnds) {
    QtRichTextEngine engine;
    engine.setDocument(numberedLines(100));
    ImageDeviceContext target(0.5, 0.5, 300);
    const auto ends = pageEnds(engine, target, SmallArea);
    ASSERT_GE(ends.size(), 3u);
    for (const int inside : {ends[0] + 1, (ends[0] + ends[1]) / 2, ends[1] - 1}) {
        const platform::FORMATRANGE range = rangeFor(0, target.hDC(), inside, SmallArea);
        EXPECT_EQ(engine.formatRange(false, &range), ends[1]);
    }
}

TEST(FormattingTest, DrawsInsideTheTextAreaInBlackWhateverThePalette) {
    // A desktop whose text colour is white must not print white text.
    const QPalette desktop = QGuiApplication::palette();
    QPalette whiteText = desktop;
    whiteText.setColor(QPalette::Text, Qt::white);
    whiteText.setColor(QPalette::WindowText, Qt::white);
    QGuiApplication::setPalette(whiteText);

    const struct {
        int targetDotsPerInch;
        int outputDotsPerInch;
    } cases[] = {{150, 150}, {300, 150}, {100, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.targetDotsPerInch);
        QtRichTextEngine engine;
        engine.setDocument(numberedLines(100));
        ImageDeviceContext target(0.5, 0.5, c.targetDotsPerInch);
        ImageDeviceContext page(8.5, 11, c.outputDotsPerInch);
        const platform::FORMATRANGE range = rangeFor(page.hDC(), target.hDC(), 0, SmallArea);
        EXPECT_GT(engine.formatRange(true, &range), 0);

        const QRect ink = page.inkBox();
        ASSERT_FALSE(ink.isNull());
        const QRect area(
            QPoint(page.pixels(SmallArea.left), page.pixels(SmallArea.top)),
            QPoint(page.pixels(SmallArea.right) - 1, page.pixels(SmallArea.bottom) - 1));
        EXPECT_TRUE(area.contains(ink))
            << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
        // Text starts at the area's left edge, its first line at the top, and fills most of it.
        EXPECT_LE(ink.left() - area.left(), page.pixels(40));
        EXPECT_LE(ink.top() - area.top(), page.pixels(100));
        EXPECT_GE(ink.bottom(), area.bottom() - page.pixels(400));
        int darkest = 255;
        const QImage& image = page.image();
        for (int y = ink.top(); y <= ink.bottom(); ++y) {
            for (int x = ink.left(); x <= ink.right(); ++x) {
                darkest = std::min(darkest, qGray(image.pixel(x, y)));
            }
        }
        EXPECT_LT(darkest, 60);
    }
    QGuiApplication::setPalette(desktop);
}

TEST(FormattingTest, EachPageDrawsExactlyItsOwnLines) {
    // Lines on either side of a page's edges would be clipped away on paper but still be in the
    // page's output, where a text extractor or a search finds them twice.
    QtRichTextEngine engine;
    engine.setDocument(numberedLines(100));
    const std::u16string text = engine.text();
    ImageDeviceContext target(0.5, 0.5, 300);
    int from = 0;
    int pages = 0;
    while (from < static_cast<int>(text.size())) {
        componenttest::TextRecordingDeviceContext page(300);
        const platform::FORMATRANGE range = rangeFor(page.hDC(), target.hDC(), from, SmallArea);
        const int next = engine.formatRange(true, &range);
        ASSERT_GT(next, from);
        const QString expected = QString::fromStdU16String(text.substr(from, next - from));
        EXPECT_EQ(page.texts.join(QLatin1Char('\n')), expected.trimmed()) << "page " << pages;
        from = next;
        ++pages;
    }
    EXPECT_GT(pages, 3);
}

TEST(FormattingTest, ThePageAfterTheFirstDrawsItsOwnText) {
    // Two pages of the same document drawn onto fresh paper differ, and the second is not empty.
    QtRichTextEngine engine;
    engine.setDocument(numberedLines(60));
    ImageDeviceContext target(0.5, 0.5, 150);
    ImageDeviceContext first(8.5, 11, 150);
    ImageDeviceContext second(8.5, 11, 150);
    const platform::FORMATRANGE one = rangeFor(first.hDC(), target.hDC(), 0, SmallArea);
    const int next = engine.formatRange(true, &one);
    const platform::FORMATRANGE two = rangeFor(second.hDC(), target.hDC(), next, SmallArea);
    EXPECT_GT(engine.formatRange(true, &two), next);
    const QRect inkOne = first.inkBox();
    const QRect inkTwo = second.inkBox();
    ASSERT_FALSE(inkTwo.isNull());
    EXPECT_LE(std::abs(inkTwo.top() - inkOne.top()), 3); // starts at the top of the area too
    EXPECT_NE(first.image(), second.image());
}

TEST(FormattingTest, SmallCapitalsPrintEveryLetterAsACapital) {
    // Qt's own small capitals print the small letters as specks on a printer's resolution.
    const QImage smallCaps = printed(R"({\rtf1\fs30{\scaps Small}})");
    EXPECT_EQ(smallCaps, printed(R"({\rtf1\fs30 S{\fs24 MALL}})"));
    EXPECT_NE(smallCaps, printed(R"({\rtf1\fs30 Small})"));
}

TEST(FormattingTest, TurnedCellTextPrintsAsOneLineDownItsCell) {
    // Qt's tables cannot turn text: each paragraph of the cell is a turned line of its own.
    for (const char* direction : {"cltxtbrl", "cltxbtlr"}) {
        SCOPED_TRACE(direction);
        QStringList texts;
        QRect ink;
        printed(std::string(R"({\rtf1\trowd\)") + direction +
                    R"(\cellx500\pard\intbl Turned text\cell\row})",
                &texts, &ink);
        EXPECT_EQ(texts, QStringList{"Turned text"});
        EXPECT_GT(ink.height(), 3 * ink.width());
    }
}

TEST(FormattingTest, SymbolFontTextPrints) {
    // The font installed as Symbol draws no glyph for the Unicode characters its text is read as.
    const QImage blank = printed(R"({\rtf1 })");
    EXPECT_NE(printed(R"({\rtf1{\fonttbl{\f1\fcharset2 Symbol;}}\f1 a\'b7})"), blank);
}

TEST(FormattingTest, CharactersBeyondTheBasicPlanePrintTheirGlyphs) {
    // A character no installed font has prints as the same empty box whatever it is.
    const QImage missing = printed(R"({\rtf1 \u-9344?\u-9216?})"); // U+F0000, private use
    const struct {
        const char* name;
        const char* rtf;
        QString character;
    } cases[] = {
        {"mathematical italic capital A", R"({\rtf1 \u-10187?\u-9164?})",
         QString::fromUcs4(U"\U0001D434")},
        {"emoji", R"({\rtf1 \u-10179?\u-8694?})", QString::fromUcs4(U"\U0001F60A")},
        {"Gothic letter", R"({\rtf1 \u-10240?\u-8398?})", QString::fromUcs4(U"\U00010332")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList texts;
        const QImage page = printed(c.rtf, &texts);
        EXPECT_EQ(texts.join(QString()), c.character);
        EXPECT_NE(page, missing);
    }
}

// Whether two pages look the same: glyphs placed a minute fraction of a pixel apart may shade
// their edges a level or two apart.
bool alike(const QImage& one, const QImage& other) {
    if (one.size() != other.size()) {
        return false;
    }
    for (int y = 0; y < one.height(); ++y) {
        for (int x = 0; x < one.width(); ++x) {
            if (std::abs(qGray(one.pixel(x, y)) - qGray(other.pixel(x, y))) > 8) {
                return false;
            }
        }
    }
    return true;
}

// Pages as the engine prints them, on paper 8.5 by 4 inches at dotsPerInch.
std::vector<QImage> printedPages(QtRichTextEngine& engine, int dotsPerInch) {
    std::vector<QImage> pages;
    ImageDeviceContext target(0.5, 0.5, dotsPerInch);
    const int length = static_cast<int>(engine.text().size());
    int from = 0;
    do {
        ImageDeviceContext paper(8.5, 4, dotsPerInch);
        const platform::FORMATRANGE range = rangeFor(paper.hDC(), target.hDC(), from, SmallArea);
        const int next = engine.formatRange(true, &range);
        pages.push_back(paper.image());
        if (next <= from) {
            break;
        }
        from = next;
    } while (from < length);
    engine.formatRange(false, nullptr);
    return pages;
}

// The same pages as Qt's own document layout paginates and draws them, where its coordinates hold.
std::vector<QImage> pagesByQt(QTextDocument& document, int dotsPerInch) {
    ImageDeviceContext target(0.5, 0.5, dotsPerInch);
    document.setDocumentMargin(0);
    fitParagraphsToDevice(document, dotsPerInch);
    const double width = (SmallArea.right - SmallArea.left) * dotsPerInch / 1440;
    qtbackend::fitTablesToWidth(document, target.paintDevice(), static_cast<int>(width));
    document.documentLayout()->setPaintDevice(&target.paintDevice());
    const double height = (SmallArea.bottom - SmallArea.top) * dotsPerInch / 1440;
    document.setPageSize(QSizeF(width, height));
    // The pages the page loop prints: those where a line begins.
    std::vector<int> printed;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const double top = document.documentLayout()->blockBoundingRect(block).top();
        for (int i = 0; block.isVisible() && i < block.layout()->lineCount(); ++i) {
            const int page =
                static_cast<int>((top + block.layout()->lineAt(i).y() + 0.01) / height);
            if (printed.empty() || printed.back() < page) {
                printed.push_back(page);
            }
        }
    }
    std::vector<QImage> pages;
    for (const int page : printed) {
        ImageDeviceContext paper(8.5, 4, dotsPerInch);
        QPainter& painter = paper.painter();
        painter.translate(paper.pixels(SmallArea.left),
                          paper.pixels(SmallArea.top) - page * height);
        const QRectF view(0, page * height, width, height);
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view.adjusted(0, 0.5, 0, -0.5);
        context.palette.setColor(QPalette::Text, Qt::black);
        document.documentLayout()->draw(&painter, context);
        painter.resetTransform();
        painter.setClipping(false);
        pages.push_back(paper.image());
    }
    document.documentLayout()->setPaintDevice(nullptr);
    return pages;
}

// Paragraphs of text with pictures among them, inline and about a third of a page high.
void fillWithPictures(QTextDocument& document) {
    QImage picture(160, 60, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    document.addResource(QTextDocument::ImageResource, QUrl("picture"), picture);
    QTextCursor cursor(&document);
    for (int i = 0; i < 12; ++i) {
        cursor.insertText(QStringLiteral("Paragraph %1 with a picture ").arg(i));
        QTextImageFormat image;
        image.setName("picture");
        image.setWidth(40 + 20 * i);
        image.setHeight(15 + 5 * i);
        cursor.insertImage(image);
        cursor.insertText(QStringLiteral(" in its text."));
        cursor.insertBlock();
        if (i % 4 == 2) {
            QTextTable* table = cursor.insertTable(2, 2);
            table->cellAt(1, 1).firstCursorPosition().insertImage(image);
            table->cellAt(1, 0).firstCursorPosition().insertText(QStringLiteral("In a table"));
            cursor.movePosition(QTextCursor::End);
        }
    }
}

TEST(FormattingTest, PagesLookAsQtsOwnLayoutDrawsThem) {
    // Every golden RTF sample (tables across pages, lists, notes under their rule), and pictures.
    std::vector<std::pair<QString, std::function<void(QTextDocument&)>>> documents{
        {"pictures", fillWithPictures}};
    const QDir samples(QStringLiteral(QUILLET_SOURCE_DIR "/tests/data/rtf"));
    for (const QString& name : samples.entryList({"*.rtf"}, QDir::Files, QDir::Name)) {
        // Qt sizes small capitals at the first resolution their font met, and its own drawing
        // spills a line taller than the page onto the next page.
        if (name == "character-formats.rtf" || name == "pictures-hostile-sizes.rtf") {
            continue;
        }
        QFile file(samples.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        documents.emplace_back(name, [content = file.readAll()](QTextDocument& document) {
            readRichTextContent(content, document);
        });
    }
    for (const auto& [name, fill] : documents) {
        SCOPED_TRACE(name.toStdString());
        for (const int dotsPerInch : {100, 150}) {
            QTextDocument reference;
            fill(reference);
            const std::vector<QImage> expected = pagesByQt(reference, dotsPerInch);
            auto document = std::make_unique<QTextDocument>();
            fill(*document);
            QtRichTextEngine engine;
            engine.setDocument(std::move(document));
            const std::vector<QImage> pages = printedPages(engine, dotsPerInch);
            ASSERT_EQ(pages.size(), expected.size()) << dotsPerInch << " dpi";
            for (std::size_t page = 0; page < pages.size(); ++page) {
                EXPECT_TRUE(alike(pages[page], expected[page]))
                    << dotsPerInch << " dpi, page " << page;
            }
        }
    }
}

} // namespace
