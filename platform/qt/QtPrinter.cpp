#include "platform/qt/QtPrinter.h"

#include <exception>
#include <string>

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QIODevice>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/Failure.h"
#include "platform/Strings.h"
#include "platform/Win32.h"
#include "platform/qt/CupsJob.h"
#include "platform/qt/QtDeviceContext.h"
#include "platform/qt/QtPictureLoader.h"

namespace qtbackend {

namespace {

using platform::ErrorNumber;
using platform::raise;

constexpr const char* JobTitle = "Quillet";
constexpr double TextPointSize = 10;
constexpr qint64 StreamChunk = 256 * 1024;

// Forwards the PDF writer's output to the print job in large pieces. A failure of the job is
// kept, not thrown through Qt: the writer sees a failed write and the printer raises afterwards.
class JobStream : public QIODevice {
public:
    explicit JobStream(CupsJob& job) : job_(job) { open(QIODevice::WriteOnly); }

    bool isSequential() const override { return true; }
    bool failed() const { return failed_; }
    const std::string& failure() const { return failure_; }

    // Sends what is still buffered; false when the job has failed.
    bool flushToJob() {
        if (!failed() && !buffer_.isEmpty()) {
            send(buffer_.constData(), buffer_.size());
            buffer_.clear();
        }
        return !failed();
    }
    // From now on output is dropped: the document is being withdrawn.
    void discard() {
        if (!failed_) {
            failed_ = true;
            failure_ = "withdrawn";
        }
        buffer_.clear();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (failed()) {
            return -1;
        }
        if (size >= StreamChunk) {
            flushToJob();
            send(data, size);
        } else {
            buffer_.append(data, size);
            if (buffer_.size() >= StreamChunk) {
                flushToJob();
            }
        }
        return failed() ? -1 : size;
    }

private:
    void send(const char* data, qint64 size) {
        try {
            job_.write(data, static_cast<std::size_t>(size));
        } catch (const std::exception& error) {
            failed_ = true;
            failure_ = error.what();
        }
    }

    CupsJob& job_;
    QByteArray buffer_;
    bool failed_ = false;
    std::string failure_;
};

// One page's device context: the document's painter and PDF writer.
class PageContext : public QtDeviceContext {
public:
    PageContext(QPainter& painter, QPaintDevice& device, const QPageLayout& layout, int resolution)
        : painter_(painter), device_(device), printable_(layout.paintRectPixels(resolution)),
          paper_(layout.fullRectPixels(resolution)), resolution_(resolution) {}

    QPainter& painter() override { return painter_; }
    QPaintDevice& paintDevice() override { return device_; }

    std::int32_t deviceCaps(std::int32_t index) const override {
        switch (index) {
        case platform::LOGPIXELSX:
        case platform::LOGPIXELSY:
            return resolution_;
        case platform::PHYSICALOFFSETX:
            return printable_.left();
        case platform::PHYSICALOFFSETY:
            return printable_.top();
        case platform::HORZRES:
            return printable_.width();
        case platform::VERTRES:
            return printable_.height();
        case platform::PHYSICALWIDTH:
            return paper_.width();
        case platform::PHYSICALHEIGHT:
            return paper_.height();
        default:
            return 0;
        }
    }

private:
    QPainter& painter_;
    QPaintDevice& device_;
    QRect printable_;
    QRect paper_;
    int resolution_;
};

} // namespace

struct QtPrinter::Device {
    std::string destination;
    QPageLayout layout;
    int resolution = 1200;

    QRectF paperPoints() const { return layout.fullRect(QPageLayout::Point); }
    QRectF printablePoints() const { return layout.paintRect(QPageLayout::Point); }
};

// An open print document: the job on the server, the PDF written into it, and the page now open.
class QtPrinter::Document {
public:
    explicit Document(const Device& device)
        : job(device.destination, JobTitle), stream(job), writer(&stream),
          resolution(device.resolution) {
        writer.setResolution(device.resolution);
        writer.setPageLayout(device.layout);
        writer.setTitle(QString::fromLatin1(JobTitle));
        writer.setCreator(QString::fromLatin1(JobTitle));
        if (!painter.begin(&writer) || stream.failed()) {
            stream.discard();
            raise(ErrorNumber::PrinterError, "cannot start the document: " + stream.failure());
        }
        page = std::make_unique<PageContext>(painter, writer, device.layout, device.resolution);
    }
    ~Document() {
        // Not ended by EndDoc: whatever the painter still writes goes nowhere, and the job's
        // destructor withdraws it.
        page.reset();
        if (painter.isActive()) {
            stream.discard();
            painter.end();
        }
    }
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    CupsJob job;
    JobStream stream;
    QPdfWriter writer;
    QPainter painter;
    const int resolution;
    // Null between NewPage and the next output.
    std::unique_ptr<PageContext> page;
    // Where Print writes next, device pixels.
    QPointF position;
};

QtPrinter::QtPrinter() = default;

QtPrinter::~QtPrinter() = default;

const QtPrinter::Device& QtPrinter::device() {
    if (device_ == nullptr) {
        auto found = std::make_unique<Device>();
        found->destination = CupsJob::defaultDestination();
        if (found->destination.empty()) {
            raise(ErrorNumber::PrinterError, "no default printer");
        }
        const QPrinterInfo info =
            QPrinterInfo::printerInfo(QString::fromLocal8Bit(found->destination.c_str()));
        if (info.isNull()) {
            raise(ErrorNumber::PrinterError, "printer unknown to Qt: " + found->destination);
        }
        QPrinter printer(info, QPrinter::HighResolution);
        if (!printer.isValid()) {
            raise(ErrorNumber::PrinterError, "printer not usable: " + found->destination);
        }
        found->layout = printer.pageLayout();
        found->resolution = printer.resolution() > 0 ? printer.resolution() : 1200;
        if (!found->layout.isValid()) {
            raise(ErrorNumber::PrinterError, "no page layout for " + found->destination);
        }
        device_ = std::move(found);
    }
    return *device_;
}

void QtPrinter::abandon(const std::string& failure) {
    document_.reset();
    device_.reset();
    raise(ErrorNumber::PrinterError, failure);
}

QtPrinter::Document& QtPrinter::openPage() {
    if (document_ == nullptr) {
        const Device& current = device();
        try {
            document_ = std::make_unique<Document>(current);
        } catch (const platform::RuntimeError& error) {
            abandon(error.what());
        }
    } else if (document_->page == nullptr) {
        if (!document_->writer.newPage()) {
            abandon("cannot start a new page");
        }
        const Device& current = *device_;
        document_->page = std::make_unique<PageContext>(document_->painter, document_->writer,
                                                        current.layout, current.resolution);
        document_->position = {};
    }
    checkDocument();
    return *document_;
}

void QtPrinter::checkDocument() {
    if (document_ != nullptr && document_->stream.failed()) {
        abandon("print job failed: " + document_->stream.failure());
    }
}

void QtPrinter::SetScaleMode(std::int16_t mode) {
    platform::twipsPerUnit(mode, 96.0); // fails for an unknown mode
    scaleMode_ = mode;
}

void QtPrinter::Print(const std::u16string& text) {
    Document& document = openPage();
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(TextPointSize);
    const QFontMetricsF metrics(font, &document.writer);
    QPainter& painter = document.painter;
    painter.save();
    painter.resetTransform();
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(document.position + QPointF(0, metrics.ascent()),
                     QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    painter.restore();
    document.position = QPointF(0, document.position.y() + metrics.lineSpacing());
    checkDocument();
}

void QtPrinter::PaintPicture(const platform::Picture& picture, float x, float y) {
    const auto* decoded = dynamic_cast<const QtPicture*>(picture.data());
    if (decoded == nullptr) {
        raise(ErrorNumber::InvalidPicture);
    }
    Document& document = openPage();
    const double resolution = document.resolution;
    const QRectF target(platform::convertScale(x, scaleMode_, platform::vbPixels, resolution),
                        platform::convertScale(y, scaleMode_, platform::vbPixels, resolution),
                        picture.Width() / 2540.0 * resolution,
                        picture.Height() / 2540.0 * resolution);
    QPainter& painter = document.painter;
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::LosslessImageRendering, decoded->lossless);
    painter.drawImage(target, decoded->image);
    painter.restore();
    checkDocument();
}

platform::Handle QtPrinter::hDC() {
    return openPage().page->hDC();
}

float QtPrinter::convert(float value, std::int16_t fromMode, std::int16_t toMode) {
    if (fromMode == toMode) {
        platform::twipsPerUnit(fromMode, 96.0); // fails for an unknown mode
        return value;
    }
    const bool needsResolution = fromMode == platform::vbPixels || toMode == platform::vbPixels;
    const double resolution = needsResolution ? device().resolution : 96.0;
    return static_cast<float>(platform::convertScale(value, fromMode, toMode, resolution));
}

float QtPrinter::ScaleX(float value, std::int16_t fromMode, std::int16_t toMode) {
    return convert(value, fromMode, toMode);
}

float QtPrinter::ScaleY(float value, std::int16_t fromMode, std::int16_t toMode) {
    return convert(value, fromMode, toMode);
}

std::int32_t QtPrinter::Width() {
    return platform::roundToInt32(device().paperPoints().width() * 20.0);
}

std::int32_t QtPrinter::Height() {
    return platform::roundToInt32(device().paperPoints().height() * 20.0);
}

float QtPrinter::ScaleWidth() {
    const Device& current = device();
    return static_cast<float>(platform::convertScale(current.printablePoints().width() * 20.0,
                                                     platform::vbTwips, scaleMode_,
                                                     current.resolution));
}

float QtPrinter::ScaleHeight() {
    const Device& current = device();
    return static_cast<float>(platform::convertScale(current.printablePoints().height() * 20.0,
                                                     platform::vbTwips, scaleMode_,
                                                     current.resolution));
}

void QtPrinter::NewPage() {
    openPage().page.reset();
}

void QtPrinter::EndDoc() {
    if (document_ == nullptr) {
        return;
    }
    document_->page.reset();
    const bool ended = document_->painter.end();
    if (!ended || !document_->stream.flushToJob()) {
        abandon("print job failed: " + document_->stream.failure());
    }
    try {
        document_->job.finish();
    } catch (const platform::RuntimeError& error) {
        abandon(error.what());
    }
    document_.reset();
}

} // namespace qtbackend
