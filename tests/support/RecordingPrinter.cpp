#include "tests/support/RecordingPrinter.h"

#include <algorithm>
#include <memory>
#include <sstream>

#include "platform/Failure.h"
#include "platform/Strings.h"
#include "platform/Win32.h"
#include "tests/support/FakePictures.h"

namespace fake {

namespace {

std::string number(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

constexpr double CentimetresPerInch = 2.54;
constexpr double TextCellWidthTwips = 120;
constexpr double TextLineTwips = 240;

} // namespace

// One device context per page, so that a caller that keeps an old handle can be caught.
class RecordingPrinter::PageDeviceContext : public platform::DeviceContext {
public:
    explicit PageDeviceContext(const RecordingPrinter& printer) : printer_(printer) {}

    std::int32_t deviceCaps(std::int32_t index) const override {
        switch (index) {
        case platform::PHYSICALOFFSETX:
            return printer_.offsetXPixels;
        case platform::PHYSICALOFFSETY:
            return printer_.offsetYPixels;
        case platform::LOGPIXELSX:
        case platform::LOGPIXELSY:
            return static_cast<std::int32_t>(printer_.pixelsPerInch);
        default:
            return 0;
        }
    }

private:
    const RecordingPrinter& printer_;
};

RecordingPrinter::RecordingPrinter() = default;

RecordingPrinter::~RecordingPrinter() = default;

void RecordingPrinter::record(const std::string& line) {
    calls.push_back(line);
    const std::string operation = line.substr(0, line.find(' '));
    if (!failOn.empty() && operation == failOn) {
        if (failAfter-- <= 0 && failTimes != 0) {
            --failTimes;
            platform::raise(platform::ErrorNumber::PrinterError);
        }
    }
}

void RecordingPrinter::openDocumentIfNeeded() {
    if (!documentOpen_) {
        documents.emplace_back();
        documentOpen_ = true;
        pageOpen_ = false;
    }
    if (!pageOpen_) {
        documents.back().pages.emplace_back();
        pageContexts_.push_back(std::make_unique<PageDeviceContext>(*this));
        pageOpen_ = true;
        textX_ = 0;
        textY_ = 0;
    }
}

double RecordingPrinter::centimetres(double value) const {
    return platform::convertScale(value, scaleMode_, platform::vbCentimeters, pixelsPerInch);
}

std::vector<RecordingPrinter::Document> RecordingPrinter::printedDocuments() const {
    std::vector<Document> printed;
    for (const Document& document : documents) {
        if (document.ended) {
            printed.push_back(document);
        }
    }
    return printed;
}

std::optional<RecordingPrinter::Box> RecordingPrinter::inkBox(const Page& page) const {
    const double paperWidth = paperWidthPixels / pixelsPerInch * CentimetresPerInch;
    const double paperHeight = paperHeightPixels / pixelsPerInch * CentimetresPerInch;
    std::optional<Box> box;
    for (const Mark& mark : page.marks) {
        const Box clipped{std::max(mark.left, 0.0), std::max(mark.top, 0.0),
                          std::min(mark.left + mark.width, paperWidth),
                          std::min(mark.top + mark.height, paperHeight)};
        if (!mark.ink || clipped.left >= clipped.right || clipped.top >= clipped.bottom) {
            continue;
        }
        if (!box) {
            box = clipped;
        } else {
            box = Box{std::min(box->left, clipped.left), std::min(box->top, clipped.top),
                      std::max(box->right, clipped.right), std::max(box->bottom, clipped.bottom)};
        }
    }
    return box;
}

void RecordingPrinter::SetScaleMode(std::int16_t mode) {
    record("ScaleMode " + number(mode));
    platform::twipsPerUnit(mode, pixelsPerInch);
    scaleMode_ = mode;
}

void RecordingPrinter::Print(const std::u16string& text) {
    record("Print \"" + platform::toUtf8(text) + "\"");
    openDocumentIfNeeded();
    const double cellWidth = TextCellWidthTwips / 1440 * CentimetresPerInch;
    const double lineHeight = TextLineTwips / 1440 * CentimetresPerInch;
    const double offsetX = offsetXPixels / pixelsPerInch * CentimetresPerInch;
    const double offsetY = offsetYPixels / pixelsPerInch * CentimetresPerInch;
    const bool ink = text.find_first_not_of(u" \t") != std::u16string::npos;
    documents.back().pages.back().marks.push_back({"\"" + platform::toUtf8(text) + "\"",
                                                   offsetX + textX_, offsetY + textY_,
                                                   cellWidth * text.size(), lineHeight, ink});
    textX_ = 0;
    textY_ += lineHeight;
}

void RecordingPrinter::PaintPicture(const platform::Picture& picture, float x, float y) {
    record("PaintPicture " + FakePictures::nameOf(picture) + " " + number(x) + " " + number(y));
    if (picture.isEmpty()) {
        platform::raise(platform::ErrorNumber::InvalidPicture);
    }
    openDocumentIfNeeded();
    const double offsetX = offsetXPixels / pixelsPerInch * CentimetresPerInch;
    const double offsetY = offsetYPixels / pixelsPerInch * CentimetresPerInch;
    documents.back().pages.back().marks.push_back(
        {FakePictures::nameOf(picture), offsetX + centimetres(x), offsetY + centimetres(y),
         picture.Width() / 1000, picture.Height() / 1000});
}

platform::Handle RecordingPrinter::hDC() {
    openDocumentIfNeeded();
    const platform::Handle handle = pageContexts_.back()->hDC();
    record("hDC " + number(handle));
    return handle;
}

float RecordingPrinter::ScaleX(float value, std::int16_t fromMode, std::int16_t toMode) {
    record("ScaleX " + number(value) + " " + number(fromMode) + " " + number(toMode));
    return static_cast<float>(platform::convertScale(value, fromMode, toMode, pixelsPerInch));
}

float RecordingPrinter::ScaleY(float value, std::int16_t fromMode, std::int16_t toMode) {
    record("ScaleY " + number(value) + " " + number(fromMode) + " " + number(toMode));
    return static_cast<float>(platform::convertScale(value, fromMode, toMode, pixelsPerInch));
}

std::int32_t RecordingPrinter::Width() {
    record("Width");
    return platform::roundToInt32(paperWidthPixels * 1440.0 / pixelsPerInch);
}

std::int32_t RecordingPrinter::Height() {
    record("Height");
    return platform::roundToInt32(paperHeightPixels * 1440.0 / pixelsPerInch);
}

float RecordingPrinter::ScaleWidth() {
    record("ScaleWidth");
    const double printable = paperWidthPixels - 2.0 * offsetXPixels;
    return static_cast<float>(
        platform::convertScale(printable, platform::vbPixels, scaleMode_, pixelsPerInch));
}

float RecordingPrinter::ScaleHeight() {
    record("ScaleHeight");
    const double printable = paperHeightPixels - 2.0 * offsetYPixels;
    return static_cast<float>(
        platform::convertScale(printable, platform::vbPixels, scaleMode_, pixelsPerInch));
}

void RecordingPrinter::NewPage() {
    record("NewPage");
    openDocumentIfNeeded();
    pageOpen_ = false;
}

void RecordingPrinter::EndDoc() {
    record("EndDoc");
    if (documentOpen_) {
        ++documentsEnded_;
        documents.back().ended = true;
    }
    documentOpen_ = false;
    pageOpen_ = false;
}

} // namespace fake
