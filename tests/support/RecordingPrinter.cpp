#include "tests/support/RecordingPrinter.h"

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
        if (failAfter-- <= 0) {
            platform::raise(platform::ErrorNumber::PrinterError);
        }
    }
}

void RecordingPrinter::openDocumentIfNeeded() {
    if (pageContexts_.empty() || !documentOpen_) {
        pageContexts_.push_back(std::make_unique<PageDeviceContext>(*this));
    }
    documentOpen_ = true;
}

void RecordingPrinter::SetScaleMode(std::int16_t mode) {
    record("ScaleMode " + number(mode));
    platform::twipsPerUnit(mode, pixelsPerInch);
    scaleMode_ = mode;
}

void RecordingPrinter::Print(const std::u16string& text) {
    record("Print \"" + platform::toUtf8(text) + "\"");
    openDocumentIfNeeded();
}

void RecordingPrinter::PaintPicture(const platform::Picture& picture, float x, float y) {
    record("PaintPicture " + FakePictures::nameOf(picture) + " " + number(x) + " " + number(y));
    openDocumentIfNeeded();
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
    pageContexts_.push_back(std::make_unique<PageDeviceContext>(*this));
}

void RecordingPrinter::EndDoc() {
    record("EndDoc");
    if (documentOpen_) {
        ++documentsEnded_;
    }
    documentOpen_ = false;
}

} // namespace fake
