#pragma once

#include <string>
#include <vector>

#include "platform/Handles.h"
#include "platform/Printer.h"

namespace fake {

// A printer that records every operation, in order, with its arguments, as a line of text such
// as "PaintPicture a.jpg 5.5 5" or "EndDoc". Its paper, resolution and printable-area offsets are
// set by the test; failOn makes one operation fail with a printer error.
class RecordingPrinter : public platform::Printer {
public:
    RecordingPrinter();
    ~RecordingPrinter() override;

    std::vector<std::string> calls;

    // Device settings, in device pixels at pixelsPerInch.
    double pixelsPerInch = 600;
    std::int32_t paperWidthPixels = 4960; // A4 at 600 ppi
    std::int32_t paperHeightPixels = 7016;
    std::int32_t offsetXPixels = 0;
    std::int32_t offsetYPixels = 0;

    // The operation (the first word of its line) that fails; failAfter lets that many pass first.
    std::string failOn;
    int failAfter = 0;

    // Documents handed to the spooler, each a list of pages.
    int documentsEnded() const { return documentsEnded_; }
    bool documentOpen() const { return documentOpen_; }

    std::int16_t ScaleMode() const override { return scaleMode_; }
    void SetScaleMode(std::int16_t mode) override;
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
    class PageDeviceContext;

    void record(const std::string& line);
    void openDocumentIfNeeded();

    std::int16_t scaleMode_ = platform::vbTwips;
    bool documentOpen_ = false;
    int documentsEnded_ = 0;
    std::vector<std::unique_ptr<PageDeviceContext>> pageContexts_;
};

} // namespace fake
