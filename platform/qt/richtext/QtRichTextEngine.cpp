#include "platform/qt/richtext/QtRichTextEngine.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QPaintDevice>
#include <QPainter>
#include <QTextDocument>

#include "platform/Failure.h"
#include "platform/Strings.h"
#include "platform/qt/QtDeviceContext.h"
#include "platform/qt/richtext/PagedLayout.h"
#include "platform/qt/richtext/RichTextReader.h"

namespace qtbackend {

using platform::ErrorNumber;
using platform::raise;

namespace {

// Larger files are refused rather than exhausting memory: their text could not be addressed by
// 32-bit positions anyway.
constexpr off_t MaximumFileSize = off_t{1} << 30;

[[noreturn]] void raiseOpenFailure(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        raise(ErrorNumber::FileNotFound);
    case EACCES:
    case EPERM:
        raise(ErrorNumber::PermissionDenied);
    case ENAMETOOLONG:
        raise(ErrorNumber::BadFileName);
    default:
        raise(ErrorNumber::PathFileAccessError);
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { ::close(fd_); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The file's bytes. Only regular files are read: a directory, a pipe or a device is refused, so
// that a name such as /dev/zero cannot hang the program.
QByteArray readFileBytes(const std::u16string& path) {
    const std::string name = platform::toUtf8(path);
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        raiseOpenFailure(errno);
    }
    const FileDescriptor file(fd);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        raise(ErrorNumber::PathFileAccessError);
    }
    if (info.st_size > MaximumFileSize) {
        raise(ErrorNumber::OutOfMemory);
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            raise(ErrorNumber::DeviceIoError);
        }
        if (got == 0) {
            return bytes;
        }
        if (bytes.size() + got > MaximumFileSize) {
            raise(ErrorNumber::OutOfMemory);
        }
        bytes.append(buffer, got);
    }
}

int twipsToPixels(std::int64_t twips, int dotsPerInch) {
    return static_cast<int>(std::floor(static_cast<double>(twips) * dotsPerInch / 1440.0));
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
    const QByteArray content = readFileBytes(path);
    auto document = std::make_unique<QTextDocument>();
    readRichTextContent(content, *document);
    setDocument(std::move(document));
}

void QtRichTextEngine::setDocument(std::unique_ptr<QTextDocument> document) {
    // The text area is all there is of the page: the margins are the caller's.
    document->setDocumentMargin(0);
    pages_.reset();
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
        return 0;
    }
    QtDeviceContext& target = deviceContext(range->hdcTarget);
    QtDeviceContext* output = render ? &deviceContext(range->hdc) : nullptr;
    if (output != nullptr && !output->painter().isActive()) {
        raise(ErrorNumber::InvalidProcedureCall, "the device context is not open for drawing");
    }

    QPaintDevice& device = target.paintDevice();
    const platform::RECT& rc = range->rc;
    const QSize area(twipsToPixels(std::int64_t{rc.right} - rc.left, device.logicalDpiX()),
                     twipsToPixels(std::int64_t{rc.bottom} - rc.top, device.logicalDpiY()));
    if (area.width() < 1 || area.height() < 1) {
        raise(ErrorNumber::InvalidProcedureCall, "the text area is empty");
    }
    if (pages_ != nullptr && pages_->fits(device, area)) {
        pages_->retarget(device);
        pages_->keepGlyphsWhileDrawing(render);
    } else {
        pages_.reset();
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
