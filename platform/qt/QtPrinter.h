#pragma once

#include "platform/Printer.h"

namespace qtbackend {

// The default printer. (Printing arrives with the picture work; until then every output fails.)
class QtPrinter : public platform::Printer {
public:
    std::int16_t ScaleMode() const override { return scaleMode_; }
    void SetScaleMode(std::int16_t mode) override { scaleMode_ = mode; }
    void Print(const std::u16string& text) override;
    void PaintPicture(const platform::Picture& picture, float x, float y) override;
    platform::Handle hDC() override;
    float ScaleX(float value, std::int16_t fromMode, std::int16_t toMode) override;
    float ScaleY(float value, std::int16_t fromMode, std::int16_t toMode) override;
    std::int32_t Width() override;
    std::int32_t Height() override;
    float ScaleWidth() override;
    float ScaleHeight() override;
    void NewPage() override;
    void EndDoc() override;

private:
    std::int16_t scaleMode_ = platform::vbTwips;
};

} // namespace qtbackend
