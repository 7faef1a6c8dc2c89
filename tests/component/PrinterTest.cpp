// The real default printer against a private print server whose default destination captures
// each job as the PDF it received: page geometry, what lands on paper and where, and failures.

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cups/cups.h>
#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "platform/Strings.h"
#include "platform/Win32.h"
#include "platform/qt/CupsJob.h"
#include "platform/qt/QtDeviceContext.h"
#include "platform/qt/QtPictureLoader.h"
#include "platform/qt/QtPrinter.h"
#include "tests/support/Failures.h"

namespace {

using fake::failureOf;
using platform::ErrorNumber;

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0)
        << program.toStdString() << " " << process.readAllStandardError().toStdString();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// A private CUPS server under a temporary folder; clients of this process use it.
class PrintServer {
public:
    PrintServer() {
        run(script(), {"start", dir_.path()});
        use();
    }
    ~PrintServer() { run(script(), {"stop", dir_.path()}); }

    QString socket() const { return dir_.filePath("cups.sock"); }
    void use() const {
        qputenv("CUPS_SERVER", QFile::encodeName(socket()));
        cupsSetServer(nullptr); // read CUPS_SERVER again
    }
    void stop() { run(script(), {"stop", dir_.path()}); }

    // The documents received so far, once the server has handed every job over.
    QStringList jobs() const {
        run(script(), {"wait", dir_.path()});
        return capturedSoFar();
    }
    // The documents in the capture folder now, without waiting for jobs still open.
    QStringList capturedSoFar() const {
        QStringList names =
            QDir(dir_.filePath("jobs")).entryList({"job-*.pdf"}, QDir::Files, QDir::Name);
        for (QString& name : names) {
            name = dir_.filePath("jobs/" + name);
        }
        return names;
    }
    void clearJobs() const {
        for (const QString& job : jobs()) {
            QFile::remove(job);
        }
    }
    void admin(const QString& program, const QStringList& arguments) const {
        run(program, arguments);
    }

private:
    static QString script() { return QStringLiteral(QUILLET_SOURCE_DIR "/scripts/print-server"); }
    QTemporaryDir dir_;
};

struct InkBox {
    double left, top, right, bottom; // centimetres from the paper's top-left corner
};

// The ink's bounding box on a page of a PDF, rendered at 150 dots per inch.
std::optional<InkBox> inkBox(const QString& pdf, int page) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath("page");
    run("pdftoppm", {"-gray", "-r", "150", "-singlefile", "-f", QString::number(page), "-l",
                     QString::number(page), pdf, prefix});
    const QImage image(prefix + ".pgm");
    EXPECT_FALSE(image.isNull());
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 200) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return std::nullopt;
    }
    const double cm = 2.54 / 150;
    return InkBox{left * cm, top * cm, (right + 1) * cm, (bottom + 1) * cm};
}

// GetDeviceCaps without the program's runtime.
std::int32_t deviceCaps(platform::Handle hdc, std::int32_t index) {
    const platform::DeviceContext* context = platform::deviceContextFromHandle(hdc);
    return context != nullptr ? context->deviceCaps(index) : 0;
}

int pageCount(const QString& pdf) {
    const QString info = run("pdfinfo", {pdf});
    return QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
}

class PrinterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
        server = new PrintServer;
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        server->use();
        server->clearJobs();
    }

    // A blue picture of the given pixel size, as the picture loader reads it.
    platform::Picture picture(int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        const QString file = pictures.filePath(QStringLiteral("%1x%2.png").arg(width).arg(height));
        EXPECT_TRUE(image.save(file));
        return qtbackend::loadPictureFile(
            platform::fromUtf8(QFile::encodeName(file).toStdString()));
    }

    static PrintServer* server;
    QTemporaryDir pictures;
};

PrintServer* PrinterTest::server = nullptr;

constexpr double PrintableOffsetCm = 10 / 72.0 * 2.54; // the capture queue's 10 pt margins

TEST_F(PrinterTest, ReportsThePaperAndPrintableAreaOfTheCaptureQueue) {
    EXPECT_EQ(qtbackend::CupsJob::defaultDestination(), "capture");
    {
        qtbackend::QtPrinter printer;
        EXPECT_EQ(printer.ScaleMode(), platform::vbTwips);
        EXPECT_EQ(printer.Width(), 595 * 20); // A4 as Qt's PDF engine writes it: 595 x 842 pt
        EXPECT_EQ(printer.Height(), 842 * 20);

        const struct {
            std::int16_t mode;
            float width;
            float height;
        } modes[] = {
            {platform::vbTwips, 575 * 20, 822 * 20},
            {platform::vbPoints, 575, 822},
            {platform::vbPixels, 575 / 72.0f * 1200, 822 / 72.0f * 1200},
            {platform::vbInches, 575 / 72.0f, 822 / 72.0f},
            {platform::vbMillimeters, 575 / 72.0f * 25.4f, 822 / 72.0f * 25.4f},
            {platform::vbCentimeters, 575 / 72.0f * 2.54f, 822 / 72.0f * 2.54f},
        };
        for (const auto& m : modes) {
            SCOPED_TRACE(m.mode);
            printer.SetScaleMode(m.mode);
            EXPECT_FLOAT_EQ(printer.ScaleWidth(), m.width);
            EXPECT_FLOAT_EQ(printer.ScaleHeight(), m.height);
        }
        EXPECT_EQ(failureOf([&] { printer.SetScaleMode(0); }), ErrorNumber::InvalidProcedureCall);
        EXPECT_EQ(printer.ScaleMode(), platform::vbCentimeters);

        EXPECT_FLOAT_EQ(printer.ScaleX(167, platform::vbPixels, platform::vbTwips), 200.4f);
        EXPECT_FLOAT_EQ(printer.ScaleY(1200, platform::vbPixels, platform::vbInches), 1.0f);
        EXPECT_FLOAT_EQ(printer.ScaleX(1, platform::vbCentimeters, platform::vbTwips),
                        1440 / 2.54f);

        const platform::Handle hdc = printer.hDC();
        EXPECT_EQ(deviceCaps(hdc, platform::LOGPIXELSX), 1200);
        EXPECT_EQ(deviceCaps(hdc, platform::LOGPIXELSY), 1200);
        EXPECT_EQ(deviceCaps(hdc, platform::PHYSICALOFFSETX), 167);
        EXPECT_EQ(deviceCaps(hdc, platform::PHYSICALOFFSETY), 167);
        auto* context = qtbackend::qtDeviceContextFromHandle(hdc);
        ASSERT_NE(context, nullptr);
        EXPECT_EQ(context->paintDevice().logicalDpiX(), 1200);
        EXPECT_TRUE(context->painter().isActive());
        // Destroyed with its document open: the document is withdrawn.
    }
    EXPECT_TRUE(server->jobs().isEmpty());
}

TEST_F(PrinterTest, APictureLandsAtItsPlaceAtItsNaturalSize) {
    qtbackend::QtPrinter printer;
    printer.SetScaleMode(platform::vbCentimeters);
    printer.PaintPicture(picture(378, 189), 5.5f, 5.0f); // 10 by 5 cm
    EXPECT_TRUE(server->capturedSoFar().isEmpty());      // nothing printed before EndDoc
    printer.EndDoc();

    const QStringList jobs = server->jobs();
    ASSERT_EQ(jobs.size(), 1);
    EXPECT_EQ(pageCount(jobs[0]), 1);
    const auto box = inkBox(jobs[0], 1);
    ASSERT_TRUE(box.has_value());
    EXPECT_NEAR(box->left, 5.5 + PrintableOffsetCm, 0.05);
    EXPECT_NEAR(box->top, 5.0 + PrintableOffsetCm, 0.05);
    EXPECT_NEAR(box->right - box->left, 378 / 96.0 * 2.54, 0.05);
    EXPECT_NEAR(box->bottom - box->top, 189 / 96.0 * 2.54, 0.05);

    printer.EndDoc(); // nothing open: nothing sent
    EXPECT_EQ(server->jobs().size(), 1);
}

TEST_F(PrinterTest, TextPagesAndTheDeviceContextReachOneJob) {
    qtbackend::QtPrinter printer;
    printer.Print(u"Quillet page one");
    const platform::Handle first = printer.hDC();
    EXPECT_EQ(printer.hDC(), first); // the same page
    printer.NewPage();
    EXPECT_EQ(platform::deviceContextFromHandle(first), nullptr);
    printer.Print(u" ");
    const platform::Handle second = printer.hDC();
    EXPECT_NE(second, first);
    // An inch square drawn in device pixels from the printable area's corner.
    auto* context = qtbackend::qtDeviceContextFromHandle(second);
    ASSERT_NE(context, nullptr);
    context->painter().fillRect(QRect(0, 0, 1200, 1200), Qt::black);
    printer.EndDoc();

    const QStringList jobs = server->jobs();
    ASSERT_EQ(jobs.size(), 1);
    EXPECT_EQ(pageCount(jobs[0]), 2);
    EXPECT_TRUE(
        run("pdftotext", {"-f", "1", "-l", "1", jobs[0], "-"}).contains("Quillet page one"));
    const auto text = inkBox(jobs[0], 1);
    ASSERT_TRUE(text.has_value());
    EXPECT_NEAR(text->left, PrintableOffsetCm, 0.1);
    EXPECT_NEAR(text->top, PrintableOffsetCm, 0.15);
    const auto square = inkBox(jobs[0], 2);
    ASSERT_TRUE(square.has_value());
    EXPECT_NEAR(square->left, PrintableOffsetCm, 0.05);
    EXPECT_NEAR(square->top, PrintableOffsetCm, 0.05);
    EXPECT_NEAR(square->right - square->left, 2.54, 0.05);
}

TEST_F(PrinterTest, EachEndDocIsOneJob) {
    qtbackend::QtPrinter printer;
    printer.SetScaleMode(platform::vbCentimeters);
    const platform::Picture small = picture(96, 96);
    for (int i = 0; i < 3; ++i) {
        printer.PaintPicture(small, 1.0f * i, 0);
        printer.EndDoc();
    }
    const QStringList jobs = server->jobs();
    ASSERT_EQ(jobs.size(), 3);
    for (const QString& job : jobs) {
        EXPECT_EQ(pageCount(job), 1);
    }
}

TEST_F(PrinterTest, NoDefaultPrinterOrARefusingOneIsAPrinterError) {
    const platform::Picture small = picture(96, 96);
    const struct {
        const char* name;
        std::function<void()> arrange;
        std::function<void()> restore;
    } cases[] = {
        {"PRINTER names no printer", [] { qputenv("PRINTER", "nosuch"); },
         [] { qunsetenv("PRINTER"); }},
        {"the queue refuses jobs", [] { server->admin("cupsreject", {"capture"}); },
         [] { server->admin("cupsaccept", {"capture"}); }},
        {"no print server",
         [] {
             qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
             cupsSetServer(nullptr);
         },
         [] { server->use(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        qtbackend::QtPrinter printer;
        c.arrange();
        EXPECT_EQ(failureOf([&] { printer.PaintPicture(small, 0, 0); }), ErrorNumber::PrinterError);
        EXPECT_EQ(failureOf([&] { printer.EndDoc(); }), ErrorNumber{}); // nothing open
        c.restore();
        // Once the cause is gone the same printer prints again.
        printer.PaintPicture(small, 0, 0);
        printer.EndDoc();
        EXPECT_EQ(server->jobs().size(), 1);
        server->clearJobs();
    }
    qtbackend::QtPrinter printer;
    qputenv("PRINTER", "nosuch");
    EXPECT_EQ(failureOf([&] { printer.Width(); }), ErrorNumber::PrinterError);
    EXPECT_EQ(failureOf([&] { printer.hDC(); }), ErrorNumber::PrinterError);
    qunsetenv("PRINTER");
}

TEST_F(PrinterTest, AServerThatGoesAwayMidDocumentFailsTheDocumentOnly) {
    PrintServer own;
    qtbackend::QtPrinter printer;
    printer.SetScaleMode(platform::vbCentimeters);
    printer.PaintPicture(picture(800, 600), 1, 1);
    own.stop();
    // Writing the rest to a closed connection: a printer error, not SIGPIPE.
    EXPECT_EQ(failureOf([&] {
                  for (int i = 0; i < 20; ++i) {
                      printer.PaintPicture(picture(400 + i, 300), 1, 1);
                  }
                  printer.EndDoc();
              }),
              ErrorNumber::PrinterError);
    server->use();
    printer.PaintPicture(picture(96, 96), 0, 0);
    printer.EndDoc();
    EXPECT_EQ(server->jobs().size(), 1);
}

} // namespace
