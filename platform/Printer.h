#pragma once

#include <cstdint>
#include <string>

#include "platform/Handles.h"
#include "platform/Picture.h"
#include "platform/ScaleMode.h"

namespace platform {

// The Printer object: the system's default print destination. Lengths are in the current scale
// mode; coordinates start at the top-left corner of the printable area. The first output (text
// or a picture) opens the print document and its first page. Every failure, no default printer
// among them, is a printer error.
class Printer {
public:
    virtual ~Printer() = default;

    virtual std::int16_t ScaleMode() const = 0;
    virtual void SetScaleMode(std::int16_t mode) = 0;

    // Prints text at the current position, which then moves to the start of the next line.
    virtual void Print(const std::u16string& text) = 0;
    // Paints the picture with its top-left corner at (x, y), at its natural size.
    virtual void PaintPicture(const Picture& picture, float x, float y) = 0;

    // The device context of the page now open; opens the document when none is open.
    virtual Handle hDC() = 0;

    // value converted between scale modes along x or y, with the printer's resolution.
    virtual float ScaleX(float value, std::int16_t fromMode, std::int16_t toMode) = 0;
    virtual float ScaleY(float value, std::int16_t fromMode, std::int16_t toMode) = 0;

    // The paper's size in twips.
    virtual std::int32_t Width() = 0;
    virtual std::int32_t Height() = 0;
    // The printable area's size in the current scale mode.
    virtual float ScaleWidth() = 0;
    virtual float ScaleHeight() = 0;

    // Ends the current page; the next output opens the next one.
    virtual void NewPage() = 0;
    // Ends the document and hands it to the print spooler as one job.
    virtual void EndDoc() = 0;
};

Printer& DefaultPrinter();

} // namespace platform
