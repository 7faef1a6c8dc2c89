// Pictures of RTF documents on paper through the rich text engine: at their goal size at every
// resolution, fitted into a page they would not fit, blank boxes that take their space and draw
// nothing; and the bound on what all the pictures of a document may take.

#include <cstdio>
#include <memory>
#include <string>

#include <QBuffer>
#include <QImage>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "platform/qt/QtPictureLoader.h"
#include "platform/qt/richtext/QtRichTextEngine.h"
#include "platform/qt/richtext/RichTextReader.h"
#include "platform/qt/richtext/RtfPictureDecoder.h"
#include "tests/component/RichTextEngineDeviceContext.h"

namespace {

using componenttest::ImageDeviceContext;

constexpr platform::RECT Area{0, 0, 9360, 2880}; // 6.5 by 2 inches

// A black PNG picture of 4 by 2 pixels, as hex digits.
std::string blackPicture() {
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::black);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toHex().toStdString();
}

std::unique_ptr<QTextDocument> read(const std::string& rtf) {
    auto document = std::make_unique<QTextDocument>();
    qtbackend::readRichTextContent(QByteArray::fromStdString(rtf), *document);
    return document;
}

TEST(RtfPicturesTest, PrintAtTheirGoalSizeFittedIntoThePage) {
    const std::string black = blackPicture();
    const struct {
        const char* name;
        std::string pictures;
        int dotsPerInch;
        QRectF inches; // where the black picture's ink is
    } cases[] = {
        {"goal size",
         "{\\pict\\picwgoal1440\\pichgoal720\\pngblip " + black + "}",
         100,
         {0, 0, 1, 0.5}},
        {"goal size at 300 dpi",
         "{\\pict\\picwgoal1440\\pichgoal720\\pngblip " + black + "}",
         300,
         {0, 0, 1, 0.5}},
        {"scaled",
         "{\\pict\\picscalex50\\picscaley200\\picwgoal1440\\pichgoal720\\pngblip " + black + "}",
         100,
         {0, 0, 0.5, 1}},
        {"wider than the page",
         "{\\pict\\picwgoal28800\\pichgoal1440\\pngblip " + black + "}",
         100,
         {0, 0, 6.5, 0.325}},
        {"taller than the page",
         "{\\pict\\picwgoal1440\\pichgoal14400\\pngblip " + black + "}",
         100,
         {0, 0, 0.2, 2}},
        {"after a blank box",
         "{\\pict\\wmetafile8\\picwgoal2880\\pichgoal720 0100}"
         "{\\pict\\picwgoal1440\\pichgoal720\\pngblip " +
             black + "}",
         100,
         {2, 0, 1, 0.5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        qtbackend::QtRichTextEngine engine;
        engine.setDocument(read("{\\rtf1 " + c.pictures + "}"));
        ImageDeviceContext page(8.5, 3, c.dotsPerInch);
        const platform::FORMATRANGE range =
            componenttest::rangeFor(page.hDC(), page.hDC(), 0, Area);
        engine.formatRange(true, &range);
        const QRectF ink = QRectF(page.inkBox());
        const double tolerance = 2.0 / c.dotsPerInch;
        EXPECT_NEAR(ink.left() / c.dotsPerInch, c.inches.left(), tolerance);
        EXPECT_NEAR(ink.top() / c.dotsPerInch, c.inches.top(), tolerance);
        EXPECT_NEAR(ink.width() / c.dotsPerInch, c.inches.width(), tolerance);
        EXPECT_NEAR(ink.height() / c.dotsPerInch, c.inches.height(), tolerance);
    }
}

// Device bitmaps of one pixel whose data differ with index.
std::string onePixelBitmap(int index) {
    char data[5];
    std::snprintf(data, sizeof data, "%04x", index & 0xFFFF);
    return std::string("{\\pict\\wbitmap0\\picw1\\pich1\\wbmwidthbytes2 ") + data + "}";
}

TEST(RtfPicturesTest, AllThePicturesOfADocumentAreBoundedTogether) {
    using qtbackend::MaxDecodedPictureBytes;
    const auto boxes = static_cast<int>(MaxDecodedPictureBytes / qtbackend::BlankBoxCost);
    const auto pictures = static_cast<int>(MaxDecodedPictureBytes / qtbackend::MinimumPictureCost);
    const struct {
        const char* name;
        int count;
        std::string (*picture)(int index);
        int printed;
    } cases[] = {
        {"blank boxes", boxes + 10,
         [](int) { return std::string("{\\pict\\wmetafile8\\picwgoal15\\pichgoal15 }"); }, boxes},
        {"different pictures", pictures + 10, onePixelBitmap, pictures},
        // One picture again and again is decoded once and costs once.
        {"the same picture", pictures + 10, [](int) { return onePixelBitmap(0); }, pictures + 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string rtf = "{\\rtf1 ";
        for (int i = 0; i < c.count; ++i) {
            rtf += c.picture(i);
        }
        rtf += "end}";
        const QString text = read(rtf)->toPlainText();
        EXPECT_EQ(text.count(QChar::ObjectReplacementCharacter), c.printed);
        EXPECT_TRUE(text.endsWith(QStringLiteral("end")));
    }
}

} // namespace
