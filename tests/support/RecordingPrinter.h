#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "platform/Printer.h"

namespace fake {

// A printer that records every operation, in order, with its arguments, as a line of text such
// as "PaintPicture a.jpg 5.5 5" or "EndDoc". Its paper, resolution and printable-area offsets are
// set by the test; failOn makes one operation fail with a printer error (before it has any other
// effect). It also renders what it is given: every document, page by page, with the place of each
// picture and line of text on the paper, for geometry checks.
class RecordingPrinter : public platform::Printer {
public:
    // Something drawn on a page, in centimetres from the paper's top-left corner. A picture covers
    // its natural size; a line of text 120 twips per character across and 240 twips down, and
    // leaves ink only when it has more than blanks.
    struct Mark {
        std::string what; // the picture's file name, or the text in quotes
        double left = 0;
        double top = 0;
        double width = 0;
        double height = 0;
        bool ink = true;
    };
    struct Page {
        std::vector<Mark> marks;
    };
    struct Document {
        std::vector<Page> pages;
        bool ended = false; // handed to the spooler by EndDoc
    };
    struct Box {
        double left;
        double top;
        double right;
        double bottom;
    };

    // Every document opened so far, in order; the last one may still be open.
    std::vector<Document> documents;
    // The documents that EndDoc handed to the spooler, in order.
    std::vector<Document> printedDocuments() const;
    // The bounding box of a page's ink that falls on the paper, in centimetres from the paper's
    // top-left corner; nothing for a blank page.
    std::optional<Box> inkBox(const Page& page) const;

    RecordingPrinter();
    ~RecordingPrinter() override;

    std::vector<std::string> calls;

    // Device settings, in device pixels at pixelsPerInch.
    double pixelsPerInch = 600;
    std::int32_t paperWidthPixels = 4960; // A4 at 600 ppi
    std::int32_t paperHeightPixels = 7016;
    std::int32_t offsetXPixels = 0;
    std::int32_t offsetYPixels = 0;

    // The operation (the first word of its line) that fails; failAfter lets that many pass first,
    // and failTimes says how often it fails then (every time when negative).
    std::string failOn;
    int failAfter = 0;
    int failTimes = -1;

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
    // Opens the document and the page that the next output goes on.
    void openDocumentIfNeeded();
    // A length in the current scale mode, in centimetres.
    double centimetres(double value) const;

    std::int16_t scaleMode_ = platform::vbTwips;
    bool documentOpen_ = false;
    bool pageOpen_ = false;
    // Where Print writes next, centimetres from the printable area's corner.
    double textX_ = 0;
    double textY_ = 0;
    int documentsEnded_ = 0;
    std::vector<std::unique_ptr<PageDeviceContext>> pageContexts_;
};

} // namespace fake
