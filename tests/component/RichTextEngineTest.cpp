// The real rich text engine: loading files, its plain text, device contexts it refuses, a layout
// made once and released, and documents longer than Qt's layout coordinates reach.

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "platform/Strings.h"
#include "platform/qt/richtext/QtRichTextEngine.h"
#include "tests/component/RichTextEngineDeviceContext.h"

namespace {

using componenttest::ImageDeviceContext;
using platform::ErrorNumber;
using qtbackend::QtRichTextEngine;

constexpr platform::RECT Area{0, 0, 9360, 2880}; // 6.5 by 2 inches

std::u16string pathIn(const QTemporaryDir& dir, const std::string& name) {
    return platform::fromUtf8(dir.path().toStdString() + "/" + name);
}

void writeFile(const std::u16string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(platform::toUtf8(path).c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

ErrorNumber loadFailure(QtRichTextEngine& engine, const std::u16string& path) {
    try {
        engine.loadFile(path);
    } catch (const platform::RuntimeError& failure) {
        return failure.number();
    }
    return ErrorNumber{0};
}

std::unique_ptr<QTextDocument> lines(int count) {
    auto document = std::make_unique<QTextDocument>();
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("line %1\n").arg(i);
    }
    document->setPlainText(text);
    return document;
}

platform::FORMATRANGE rangeFor(platform::Handle hdc, platform::Handle target, int from,
                               const platform::RECT& rc = Area) {
    return componenttest::rangeFor(hdc, target, from, rc);
}

// A device context that is not one Qt can draw on, such as a window's.
class ForeignDeviceContext : public platform::DeviceContext {
public:
    std::int32_t deviceCaps(std::int32_t) const override { return 0; }
};

TEST(RichTextEngineTest, LoadsTheFilesBytesAndKeepsItsTextPositionForPosition) {
    QTemporaryDir dir;
    // A name that is not UTF-8 reaches the file system byte for byte.
    const std::u16string path = pathIn(dir, "caf\xe9 notes.txt");
    writeFile(path, "first line\nsecond line\n\ncaf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac");
    QtRichTextEngine engine;
    engine.loadFile(path);
    EXPECT_EQ(engine.text(), u"first line\nsecond line\n\ncaf\u00e9 \u65e5\u672c");
    EXPECT_EQ(static_cast<int>(engine.text().size()), engine.document().characterCount() - 1);
    std::remove(platform::toUtf8(path).c_str()); // a name QTemporaryDir cannot spell
}

TEST(RichTextEngineTest, FilesThatCannotBeReadFailAndKeepTheDocument) {
    QTemporaryDir dir;
    const std::u16string kept = pathIn(dir, "kept.txt");
    writeFile(kept, "kept");
    const std::u16string fifo = pathIn(dir, "pipe.txt");
    ASSERT_EQ(mkfifo(platform::toUtf8(fifo).c_str(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));

    const struct {
        std::u16string path;
        ErrorNumber failure;
    } cases[] = {
        {pathIn(dir, "missing.txt"), ErrorNumber::FileNotFound},
        {kept + u"/below.txt", ErrorNumber::FileNotFound}, // a file used as a folder
        {pathIn(dir, "folder.txt"), ErrorNumber::PathFileAccessError},
        {fifo, ErrorNumber::PathFileAccessError}, // refused, never waited on
        {u"/dev/zero", ErrorNumber::PathFileAccessError},
        {pathIn(dir, std::string(300, 'n')), ErrorNumber::BadFileName},
    };
    QtRichTextEngine engine;
    engine.loadFile(kept);
    for (const auto& c : cases) {
        SCOPED_TRACE(platform::toUtf8(c.path));
        EXPECT_EQ(loadFailure(engine, c.path), c.failure);
        EXPECT_EQ(engine.text(), u"kept");
    }
}

TEST(RichTextEngineTest, AnEmptyDocumentFormatsOneEmptyPage) {
    QTemporaryDir dir;
    const std::u16string path = pathIn(dir, "empty.txt");
    writeFile(path, "");
    QtRichTextEngine engine;
    engine.loadFile(path);
    ImageDeviceContext page(8.5, 11, 100);
    const platform::FORMATRANGE range = rangeFor(page.hDC(), page.hDC(), 0);
    EXPECT_EQ(engine.text(), u"");
    EXPECT_EQ(engine.formatRange(true, &range), 0);
    EXPECT_TRUE(page.inkBox().isNull());
}

TEST(RichTextEngineTest, DeviceContextsThatAreNotQtsFail) {
    ImageDeviceContext page(8.5, 11, 100);
    ForeignDeviceContext foreign;
    const struct {
        const char* name;
        bool render;
        platform::Handle hdc;
        platform::Handle target;
        platform::RECT rc;
        bool fails;
    } cases[] = {
        {"no target", true, page.hDC(), 0, Area, true},
        {"a target Qt cannot draw on", false, 0, foreign.hDC(), Area, true},
        {"no device to draw on", true, 0, page.hDC(), Area, true},
        {"drawing on a foreign device", true, foreign.hDC(), page.hDC(), Area, true},
        {"measuring needs no device to draw on", false, 0, page.hDC(), Area, false},
        {"an empty text area", true, page.hDC(), page.hDC(), {100, 100, 100, 5000}, true},
        {"an upside-down text area", true, page.hDC(), page.hDC(), {100, 5000, 9000, 100}, true},
        {"a text area past Qt's coordinates",
         true,
         page.hDC(),
         page.hDC(),
         {0, 0, 9000, 1 << 30},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QtRichTextEngine engine;
        engine.setDocument(lines(10));
        const platform::FORMATRANGE range = rangeFor(c.hdc, c.target, 0, c.rc);
        if (c.fails) {
            EXPECT_THROW(engine.formatRange(c.render, &range), platform::RuntimeError);
        } else {
            EXPECT_EQ(engine.formatRange(c.render, &range), static_cast<int>(engine.text().size()));
        }
    }
}

// Prints the file's first page on page: whether all its text fitted there.
bool printsWholeOnFirstPage(const std::u16string& path, ImageDeviceContext& page) {
    QtRichTextEngine engine;
    engine.loadFile(path);
    const platform::FORMATRANGE range = rangeFor(page.hDC(), page.hDC(), 0);
    return engine.formatRange(true, &range) == static_cast<int>(engine.text().size());
}

TEST(RichTextEngineTest, IndentsKeepTheirLengthAtEveryResolution) {
    QTemporaryDir dir;
    const std::u16string path = pathIn(dir, "indented.rtf");
    // One inch of left indent, then a paragraph half an inch below the first.
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs24"
                    "\\pard\\li1440 Indented\\par\\pard\\sb720 Below\\par}");
    for (const int dotsPerInch : {96, 300, 600}) {
        SCOPED_TRACE(dotsPerInch);
        ImageDeviceContext page(8.5, 3, dotsPerInch);
        EXPECT_TRUE(printsWholeOnFirstPage(path, page));
        const QRect ink = page.inkBox();
        EXPECT_NEAR(ink.left() / double(dotsPerInch), 0.0, 0.05); // "Below" starts at the edge
        QImage top = page.image().copy(0, 0, page.image().width(), dotsPerInch / 4);
        int firstInk = top.width();
        for (int y = 0; y < top.height(); ++y) {
            for (int x = 0; x < top.width(); ++x) {
                if (qGray(top.pixel(x, y)) < 160) {
                    firstInk = std::min(firstInk, x);
                }
            }
        }
        EXPECT_NEAR(firstInk / double(dotsPerInch), 1.0, 0.05);
        // Below the first line (about 0.2 inch), half an inch of space, then "Below".
        EXPECT_NEAR(ink.bottom() / double(dotsPerInch), 0.85, 0.1);
    }
}

TEST(RichTextEngineTest, TablesWiderThanTheAreaAreFittedToIt) {
    QTemporaryDir dir;
    const std::u16string path = pathIn(dir, "wide.rtf");
    // Rows of 7 and 18 bordered cells whose edges reach 26 cm, twice the area's width.
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20";
    for (const int cells : {7, 18}) {
        std::string row = "\\trowd\\trleft-108";
        std::string text = "\\pard\\intbl ";
        for (int i = 1; i <= cells; ++i) {
            row += "\\clbrdrl\\brdrs\\clbrdrr\\brdrs\\cellx" + std::to_string(14742 * i / cells);
            text += "w" + std::to_string(i) + "\\cell ";
        }
        rtf += row + text + "\\row";
    }
    writeFile(path, rtf + "}");
    for (const int dotsPerInch : {96, 600}) {
        SCOPED_TRACE(dotsPerInch);
        ImageDeviceContext page(8.5, 3, dotsPerInch);
        EXPECT_TRUE(printsWholeOnFirstPage(path, page));
        const QRect ink = page.inkBox();
        EXPECT_GE(ink.left(), 0);
        EXPECT_NEAR(ink.right() / double(dotsPerInch), 6.5, 0.05); // the last border at the edge
    }
}

int blocksKeepingGlyphs(const QTextDocument& document) {
    int keeping = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        keeping += block.layout()->cacheEnabled() ? 1 : 0;
    }
    return keeping;
}

TEST(RichTextEngineTest, ParagraphsKeepTheirGlyphsOnlyUntilTheirPageIsDrawn) {
    for (const bool render : {true, false}) {
        SCOPED_TRACE(render);
        QtRichTextEngine engine;
        engine.setDocument(lines(20000));
        const int length = static_cast<int>(engine.text().size());
        int pages = 0;
        for (int from = 0; from < length; ++pages) {
            ImageDeviceContext page(1, 1, 100);
            const platform::FORMATRANGE range = rangeFor(page.hDC(), page.hDC(), from);
            from = engine.formatRange(render, &range);
            // Never more than a window ahead of the page, never the whole document.
            if (pages % 100 == 0) {
                EXPECT_LT(blocksKeepingGlyphs(engine.document()), render ? 20000 / 4 : 1);
            }
        }
        EXPECT_GT(pages, 100);
        EXPECT_EQ(blocksKeepingGlyphs(engine.document()), 0);
    }
}

TEST(RichTextEngineTest, TheLayoutIsMadeOncePerTargetAndAreaAndReleased) {
    QtRichTextEngine engine;
    engine.setDocument(lines(400));
    const int length = static_cast<int>(engine.text().size());
    const QAbstractTextDocumentLayout* layout = engine.document().documentLayout();

    // Every page on fresh paper with a device context of its own, as the printer's pages are.
    auto printAll = [&](int dotsPerInch, const platform::RECT& rc) {
        int pages = 0;
        for (int from = 0; from < length; ++pages) {
            ImageDeviceContext page(1, 1, dotsPerInch);
            const platform::FORMATRANGE range = rangeFor(page.hDC(), page.hDC(), from, rc);
            from = engine.formatRange(true, &range);
            EXPECT_EQ(layout->paintDevice(), &page.paintDevice());
        }
        return pages;
    };
    EXPECT_GT(printAll(150, Area), 10);
    EXPECT_EQ(engine.layoutsMade(), 1);

    EXPECT_EQ(engine.formatRange(false, nullptr), 0);
    EXPECT_EQ(layout->paintDevice(), nullptr); // nothing kept of the last page
    EXPECT_EQ(engine.layoutsMade(), 1);

    printAll(150, Area);
    EXPECT_EQ(engine.layoutsMade(), 2); // after a release, laid out anew
    printAll(150, {0, 0, 7200, 2880});
    EXPECT_EQ(engine.layoutsMade(), 3); // another width
    printAll(300, {0, 0, 7200, 2880});
    EXPECT_EQ(engine.layoutsMade(), 4); // another resolution
    EXPECT_EQ(engine.formatRange(false, nullptr), 0);
    EXPECT_EQ(engine.formatRange(false, nullptr), 0); // a second release does no harm
}

// The text without its white space, which Qt draws as gaps or not at all.
QString printedCharacters(QString text) {
    static const QRegularExpression space(QStringLiteral("\\s"));
    return text.remove(space);
}

TEST(RichTextEngineTest, DocumentsPastQtsCoordinateRangePrintWholeAndInOrder) {
    // At 100,000 dots per inch a ten-point line is some 16,000 device pixels high (Qt's fonts go
    // wrong beyond 16,384 pixels a character): a few thousand lines, 336 pages one inch high, reach
    // the 2^25 pixels that Qt's fixed-point layout coordinates hold.
    constexpr int DotsPerInch = 100000;
    constexpr platform::RECT TwoByOneInch{0, 0, 2880, 1440};
    QString paragraph;
    for (int i = 0; i < 10000; ++i) {
        paragraph += QStringLiteral("w%1 ").arg(i);
    }
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Serif;}}\\f0\\fs20 ";
    for (int i = 0; i < 60; ++i) {
        rtf += "before " + std::to_string(i) + "\\par ";
    }
    for (int row = 0; row < 1800; ++row) {
        const std::string name = "r" + std::to_string(row);
        rtf += "\\trowd\\cellx1440\\cellx2880\\intbl " + name + "a\\cell " + name + "b\\cell\\row ";
    }
    rtf += "\\pard after\\par}";
    QTemporaryDir dir;
    const std::u16string rtfPath = pathIn(dir, "table.rtf");
    writeFile(rtfPath, rtf);

    const struct {
        const char* name;
        std::function<void(QtRichTextEngine&)> load;
    } cases[] = {
        {"lines of plain text", [](QtRichTextEngine& engine) { engine.setDocument(lines(2400)); }},
        {"one paragraph",
         [&](QtRichTextEngine& engine) {
             auto document = std::make_unique<QTextDocument>();
             document->setPlainText(paragraph);
             engine.setDocument(std::move(document));
         }},
        {"a table of many rows", [&](QtRichTextEngine& engine) { engine.loadFile(rtfPath); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QtRichTextEngine engine;
        c.load(engine);
        const QString text = QString::fromStdU16String(engine.text());
        componenttest::TextRecordingDeviceContext target(DotsPerInch);
        QStringList drawn;
        int pages = 0;
        for (int from = 0; from < text.size(); ++pages) {
            componenttest::TextRecordingDeviceContext page(DotsPerInch);
            const platform::FORMATRANGE range =
                rangeFor(page.hDC(), target.hDC(), from, TwoByOneInch);
            const int next = engine.formatRange(true, &range);
            ASSERT_GT(next, from);
            drawn += page.texts;
            from = next;
        }
        EXPECT_GT(pages, (1 << 25) / DotsPerInch);
        EXPECT_EQ(printedCharacters(drawn.join(QString())).toStdString(),
                  printedCharacters(text).toStdString());
    }
}

} // namespace
