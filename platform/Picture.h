#pragma once

#include <memory>
#include <string>

namespace platform {

// The decoded picture, as the backend that loaded it keeps it.
class PictureData {
public:
    virtual ~PictureData() = default;
};

// A picture object: decoded content and its natural size. Copies share the content.
class Picture {
public:
    Picture() = default;
    Picture(std::shared_ptr<const PictureData> data, double widthHimetric, double heightHimetric)
        : data_(std::move(data)), width_(widthHimetric), height_(heightHimetric) {}

    bool isEmpty() const { return data_ == nullptr; }

    // Natural size in HIMETRIC units (hundredths of a millimetre): for bitmaps, the pixel size at
    // the screen's logical resolution of 96 pixels per inch.
    double Width() const { return width_; }
    double Height() const { return height_; }

    const PictureData* data() const { return data_.get(); }

private:
    std::shared_ptr<const PictureData> data_;
    double width_ = 0;
    double height_ = 0;
};

// HIMETRIC size of a bitmap of the given pixel count at 96 pixels per inch.
inline double himetricFromScreenPixels(double pixels) {
    return pixels * 2540.0 / 96.0;
}

// Loads a picture file. Fails with file not found when it is missing and with invalid picture
// when it is not a picture the loader can read.
Picture LoadPicture(const std::u16string& path);

} // namespace platform
