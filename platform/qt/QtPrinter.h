#pragma once

#include <memory>
#include <string>

#include "platform/Printer.h"

namespace qtbackend {

// The default printer: the system's default print destination (CUPS, honouring PRINTER and
// LPDEST), its paper and printable area as Qt's print support reports them for that destination
// (a queue without a driver gets A4 with margins of 10 pt).
//
// Units and coordinates:
// - Device pixels are pixels of the printer's resolution (LOGPIXELSX/Y of hDC, usually 1200 per
//   inch), with the origin at the top-left corner of the printable area. Positions given in the
//   current scale mode (PaintPicture, Print) have the same origin.
// - Width and Height: the paper's size in twips, rounded to whole twips.
// - ScaleWidth and ScaleHeight: the printable area's size in the current scale mode.
// - ScaleX and ScaleY convert between scale modes; pixels are device pixels.
//
// Destination: the default destination as first found (by the first use that needs it), kept
// for the documents that follow, and looked up again after a document has failed.
//
// Documents: the first output (Print, PaintPicture, hDC or NewPage) opens a document with its
// first page; after NewPage the next output opens the next page. Each document is a PDF written
// by Qt's PDF engine and streamed to the print server as one job, which prints once EndDoc has
// handed it over. EndDoc with no document open does nothing. A failure while a document is open
// (the server refuses it or goes away) withdraws that document, raises a printer error, and the
// next output starts a new one. A document still open when the printer is destroyed is
// withdrawn, not printed.
class QtPrinter : public platform::Printer {
public:
    QtPrinter();
    ~QtPrinter() override;

    std::int16_t ScaleMode() const override { return scaleMode_; }
    // Fails with an invalid procedure call for a mode other than those of ScaleMode.h.
    void SetScaleMode(std::int16_t mode) override;

    // Prints text at the current position in the printer's font (10 pt, black); the position
    // then moves to the start of the next line. A new page starts at the origin.
    void Print(const std::u16string& text) override;
    // Paints the picture (one the picture loader made) with its top-left corner at (x, y) in the
    // current scale mode, at its natural size: its HIMETRIC size, whatever the resolution.
    void PaintPicture(const platform::Picture& picture, float x, float y) override;

    // The device context of the page now open, a QtDeviceContext: its painter draws on the page
    // in device pixels from the printable area's corner, and its paint device has the printer's
    // resolution and printable area for text layout. deviceCaps answers LOGPIXELSX/Y,
    // PHYSICALOFFSETX/Y (the printable area's offset from the paper's edges, device pixels),
    // HORZRES/VERTRES (printable area) and PHYSICALWIDTH/HEIGHT (paper). The handle is valid until
    // NewPage or EndDoc. Who draws on the painter leaves its state as found (save and restore).
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
    struct Device;
    class Document;

    // The default destination and its page layout.
    const Device& device();
    // Withdraws the open document after a failure, and forgets the destination.
    [[noreturn]] void abandon(const std::string& failure);
    // The document and its current page, opened when needed.
    Document& openPage();
    // Raises a printer error and withdraws the document if writing it has failed.
    void checkDocument();
    float convert(float value, std::int16_t fromMode, std::int16_t toMode);

    std::int16_t scaleMode_ = platform::vbTwips;
    std::unique_ptr<Device> device_;
    std::unique_ptr<Document> document_;
};

} // namespace qtbackend
