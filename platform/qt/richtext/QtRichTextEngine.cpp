#include "platform/qt/richtext/QtRichTextEngine.h"

#include <algorithm>
#include <cmath>

#include <QByteArray>
#include <QPaintDevice>
#include <QPainter>
#include <QTextDocument>

#include "platform/Failure.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/qt/QtDeviceContext.h"
#include "platform/qt/richtext/PagedLayout.h"
#include "platform/qt/richtext/RichTextReader.h"
#include "platform/qt/richtext/RtfTableFit.h"

namespace qtbackend {

using platform::ErrorNumber;
using platform::raise;

namespace {

// Larger files are refused rather than exhausting memory: their text could not be addressed by
// 32-bit positions anyway.
constexpr std::int64_t MaximumFileSize = std::int64_t{1} << 30;

// Qt's text layout keeps lengths in 26.6 fixed point, up to 2^25 device pixels: a page and a line
// stay well inside that (2^24 pixels are 14,000 inches at 1200 dpi).
constexpr int MaximumAreaPixels = 1 << 24;

double twipsToPixels(std::int64_t twips, int dotsPerInch) {
    return std::floor(static_cast<double>(twips) * dotsPerInch / 1440.0);
}

// The text area in the device's pixels.
QSize textArea(const platform::RECT& rc, const QPaintDevice& device) {
    const double width = twipsToPixels(std::int64_t{rc.right} - rc.left, device.logicalDpiX());
    const double height = twipsToPixels(std::int64_t{rc.bottom} - rc.top, device.logicalDpiY());
    if (width < 1 || height < 1) {
        raise(ErrorNumber::InvalidProcedureCall, "the text area is empty");
    }
    if (width > MaximumAreaPixels || height > MaximumAreaPixels) {
        raise(ErrorNumber::InvalidProcedureCall, "the text area is too large");
    }
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

QtDeviceContext& deviceContext(platform::Handle hdc) {
    QtDeviceContext* context = qtDeviceContextFromHandle(hdc);
    if (context == nullptr || context->paintDevice().logicalDpiX() <= 0 ||
        context->paintDevice().logicalDpiY() <= 0) {
        raise(ErrorNumber::InvalidProcedureCall, "not a device context");
    }
    return *context;
}

} // namespace

QtRichTextEngine::QtRichTextEngine() {
    setDocument(std::make_unique<QTextDocument>());
}

QtRichTextEngine::~QtRichTextEngine() = default;

void QtRichTextEngine::loadFile(const std::u16string& path) {
    const std::string bytes = platform::readFileBytes(path, MaximumFileSize);
    const QByteArray content =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    auto document = std::make_unique<QTextDocument>();
    readRichTextContent(content, *document);
    setDocument(std::move(document));
}

void QtRichTextEngine::setDocument(std::unique_ptr<QTextDocument> document) {
    // The text area is all there is of the page: the margins are the caller's.
    document->setDocumentMargin(0);
    pages_.reset();
    fonts_.release();
    document_ = std::move(document);
}

std::u16string QtRichTextEngine::text() const {
    // One character per position: paragraph breaks and table boundaries become line ends.
    const QString plain = document_->toPlainText();
    return std::u16string(reinterpret_cast<const char16_t*>(plain.utf16()),
                          static_cast<std::size_t>(plain.size()));
}

std::int32_t QtRichTextEngine::formatRange(bool render, const platform::FORMATRANGE* range) {
    if (range == nullptr) {
        pages_.reset();
        fonts_.release();
        return 0;
    }
    QtDeviceContext& target = deviceContext(range->hdcTarget);
    QtDeviceContext* output = render ? &deviceContext(range->hdc) : nullptr;
    if (output != nullptr && !output->painter().isActive()) {
        raise(ErrorNumber::InvalidProcedureCall, "the device context is not open for drawing");
    }

    QPaintDevice& device = target.paintDevice();
    const platform::RECT& rc = range->rc;
    const QSize area = textArea(rc, device);
    if (pages_ != nullptr && pages_->fits(device, area)) {
        pages_->retarget(device);
        pages_->keepGlyphsWhileDrawing(render);
    } else {
        pages_.reset();
        // Side margins and indents are taken as device pixels by the layout.
        fitParagraphsToDevice(*document_, device.logicalDpiX());
        fitTablesToWidth(*document_, device, area.width());
        fonts_.load(*document_, device);
        pages_ = std::make_unique<PagedLayout>(*document_, device, area, render);
        ++layoutsMade_;
    }

    // Formatting always runs to the end of a page: a cpMax other than -1 is not honoured.
    const int length = document_->characterCount() - 1;
    const int from = std::max(0, range->chrg.cpMin);
    if (from >= length) {
        return length;
    }
    const int page = pages_->pageOf(from);
    if (output != nullptr) {
        const QPaintDevice& outputDevice = output->paintDevice();
        QPainter& painter = output->painter();
        painter.save();
        painter.translate(rc.left * outputDevice.logicalDpiX() / 1440.0,
                          rc.top * outputDevice.logicalDpiY() / 1440.0);
        // Laid out in the target's pixels, drawn in the output's.
        painter.scale(static_cast<double>(outputDevice.logicalDpiX()) / device.logicalDpiX(),
                      static_cast<double>(outputDevice.logicalDpiY()) / device.logicalDpiY());
        pages_->drawPage(painter, page, from);
        painter.restore();
    }
    return pages_->pageEnd(page);
}

} // namespace qtbackend
