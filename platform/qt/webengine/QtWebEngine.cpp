#include "platform/qt/webengine/QtWebEngine.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

#include <QPageRanges>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

#include "platform/Failure.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/controls/WebBrowser.h"
#include "platform/qt/CupsJob.h"
#include "platform/qt/QtWindow.h"

namespace qtbackend {

namespace {

// The path's bytes, made absolute against the working folder; fails for a name no file can have.
std::string absolutePath(const std::u16string& url) {
    const std::string path = platform::toUtf8(url);
    if (path.empty() || path.find('\0') != std::string::npos) {
        platform::raise(platform::ErrorNumber::BadFileName);
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) {
        platform::raise(platform::ErrorNumber::BadFileName);
    }
    return absolute.string();
}

// Refuses a path that names no readable regular file, the way opening it would fail.
void checkReadableFile(const std::string& path) {
    try {
        ::close(platform::openRegularFile(platform::fromUtf8(path)));
    } catch (const platform::RuntimeError& failure) {
        platform::raise(failure.number() == platform::ErrorNumber::FileNotFound
                            ? platform::ErrorNumber::FileNotFound
                            : platform::ErrorNumber::PathFileAccessError);
    }
}

// A file URL that carries the path's bytes as they are, whatever their encoding.
QUrl fileUrl(const std::string& path) {
    const QByteArray bytes = QByteArray::fromStdString(path).toPercentEncoding("/");
    return QUrl::fromEncoded("file://" + bytes, QUrl::StrictMode);
}

void writeFile(const QString& fileName, const QByteArray& pdf) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit()) {
        platform::raise(platform::ErrorNumber::PathFileAccessError);
    }
}

void handToPrintServer(const QPrinter& printer, const QString& title, const QByteArray& pdf) {
    CupsJob job(printer.printerName().toStdString(), title.toStdString(), printer.copyCount());
    job.write(pdf.constData(), static_cast<std::size_t>(pdf.size()));
    job.finish();
}

} // namespace

QtWebEngine::QtWebEngine(QWidget* window, std::unique_ptr<WebView> view)
    : window_(window), view_(std::move(view)) {}

QtWebEngine::~QtWebEngine() = default;

void QtWebEngine::navigate(const std::u16string& url) {
    const std::string path = absolutePath(url);
    checkReadableFile(path);
    view_->load(fileUrl(path));
}

void QtWebEngine::execWB(std::int32_t command, std::int32_t option) {
    if (command != platform::OLECMDID_PRINT ||
        (option != platform::OLECMDEXECOPT_DODEFAULT &&
         option != platform::OLECMDEXECOPT_PROMPTUSER) ||
        !view_->hasDocument()) {
        platform::raise(platform::ErrorNumber::InvalidProcedureCall);
    }
    if (!hasDisplay()) {
        platform::raise(platform::ErrorNumber::PrinterError, "no display for the print dialog");
    }

    QPrinter printer(QPrinter::HighResolution);
    // On the heap: the window, and the dialog with it, may go while the dialog runs. Only what
    // is applied is offered: no collation choice, no selection or current page.
    QPointer<QPrintDialog> dialog = new QPrintDialog(&printer, window_);
    dialog->setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                       QAbstractPrintDialog::PrintShowPageSize);
    dialog->setWindowModality(Qt::ApplicationModal);
    const int answer = dialog->exec();
    delete dialog.data();
    if (answer == QDialog::Accepted) {
        printWith(printer);
    }
}

void QtWebEngine::printWith(const QPrinter& printer) {
    // The engine applies the paper, orientation, margins and pages; the print server the copies.
    const QPageRanges pages =
        printer.printRange() == QPrinter::PageRange ? printer.pageRanges() : QPageRanges();
    const QString title = view_->title();
    const QByteArray pdf = view_->printToPdf(printer.pageLayout(), pages);
    if (pdf.isEmpty()) {
        platform::raise(platform::ErrorNumber::PrinterError, "the page could not be laid out");
    }
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        writeFile(printer.outputFileName(), pdf);
    } else {
        handToPrintServer(printer, title, pdf);
    }
}

} // namespace qtbackend
