#include "platform/controls/PictureBox.h"

#include "platform/ScaleMode.h"

namespace platform {

namespace {

constexpr double ScreenPixelsPerInch = 96.0;

double twipsFromHimetric(double himetric) {
    return himetric * 1440.0 / 2540.0;
}

} // namespace

PictureBox::PictureBox(Form& owner, int widthTwips, int heightTwips)
    : Control(owner), scaleMode_(vbTwips), innerWidthTwips_(widthTwips),
      innerHeightTwips_(heightTwips) {}

void PictureBox::SetScaleMode(std::int16_t mode) {
    twipsPerUnit(mode, ScreenPixelsPerInch); // fails for an unknown mode
    scaleMode_ = mode;
}

void PictureBox::SetPicture(platform::Picture picture) {
    picture_ = std::move(picture);
    if (autoSize_) {
        fitPicture();
    }
}

void PictureBox::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_) {
        fitPicture();
    }
}

void PictureBox::fitPicture() {
    if (!picture_.isEmpty()) {
        innerWidthTwips_ = twipsFromHimetric(picture_.Width());
        innerHeightTwips_ = twipsFromHimetric(picture_.Height());
    }
}

float PictureBox::ScaleWidth() const {
    return static_cast<float>(
        convertScale(innerWidthTwips_, vbTwips, scaleMode_, ScreenPixelsPerInch));
}

float PictureBox::ScaleHeight() const {
    return static_cast<float>(
        convertScale(innerHeightTwips_, vbTwips, scaleMode_, ScreenPixelsPerInch));
}

} // namespace platform
