#pragma once

#include <cstdint>

#include "platform/Form.h"
#include "platform/Picture.h"

namespace platform {

// A picture box: holds a picture and measures it. With AutoSize on, its inner area takes the
// size of its picture.
class PictureBox : public Control {
public:
    PictureBox(Form& owner, int widthTwips, int heightTwips);

    std::int16_t ScaleMode() const { return scaleMode_; }
    void SetScaleMode(std::int16_t mode);

    const platform::Picture& Picture() const { return picture_; }
    void SetPicture(platform::Picture picture);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);

    // Redraws the box; it has nothing on screen to redraw while its form is hidden.
    void Refresh() {}

    // The inner width and height in the current scale mode.
    float ScaleWidth() const;
    float ScaleHeight() const;

private:
    void fitPicture();

    std::int16_t scaleMode_;
    platform::Picture picture_;
    bool autoSize_ = false;
    double innerWidthTwips_;
    double innerHeightTwips_;
};

} // namespace platform
