// The real web engine, headless: the file checks of Navigate, DocumentComplete through the event
// loop, the command ids ExecWB knows, and the module's PDF output.

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLibrary>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "platform/Strings.h"
#include "platform/qt/webengine/QtWebEngine.h"
#include "platform/qt/webengine/WebEngineLoader.h"
#include "platform/qt/webengine/WebEngineModule.h"
#include "tests/support/Failures.h"

namespace {

using platform::ErrorNumber;

const QString ModuleDirectory = QStringLiteral(QUILLET_WEB_MODULE_DIR);

const QByteArray Page = R"(<!doctype html><html><head><title>Orchard</title>
<style>h1 { color: darkred }</style></head><body><h1>Quinces and medlars</h1>
<iframe src="frame.html"></iframe></body></html>)";

// Runs the event loop until done() holds or the time is up.
template <typename Done> bool spinUntil(Done done, int timeoutMs = 5000) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(10);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done()) {
        loop.exec();
    }
    return done();
}

using fake::failureOf;

class WebEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(directory.isValid());
        write("page.html", Page);
        write("frame.html", "<p>Framed greetings</p>");
    }

    std::string write(const QString& name, const QByteArray& content) {
        QFile file(directory.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return QFile::encodeName(file.fileName()).toStdString();
    }

    std::unique_ptr<platform::WebEngine> engine() {
        platform::WebEngineEvents events;
        events.documentComplete = [this](const std::u16string& url) { completed.push_back(url); };
        return qtbackend::loadWebEngineFrom(
            ModuleDirectory, &window, {.left = 120, .top = 2040, .width = 5655, .height = 2535},
            std::move(events));
    }

    QTemporaryDir directory;
    QWidget window;
    std::vector<std::u16string> completed;
};

TEST_F(WebEngineTest, NavigateRefusesWhatCannotBeRead) {
    const std::string page = write("page.html", Page);
    const std::string base = QFile::encodeName(directory.path()).toStdString();
    ASSERT_EQ(::mkfifo((base + "/pipe.htm").c_str(), 0600), 0);
    ASSERT_TRUE(QDir(directory.path()).mkdir("folder.htm"));
    const struct {
        std::u16string path;
        ErrorNumber failure;
    } cases[] = {
        {platform::fromUtf8(base + "/gone.htm"), ErrorNumber::FileNotFound},
        {platform::fromUtf8(base + "/no/such/dir/page.htm"), ErrorNumber::FileNotFound},
        {platform::fromUtf8(page + "/inside.htm"), ErrorNumber::FileNotFound},
        {platform::fromUtf8(base + "/folder.htm"), ErrorNumber::PathFileAccessError},
        {platform::fromUtf8(base + "/pipe.htm"), ErrorNumber::PathFileAccessError},
        {platform::fromUtf8(page) + u'\0' + u"x.htm", ErrorNumber::BadFileName},
        {u"", ErrorNumber::BadFileName},
    };
    auto browser = engine();
    for (const auto& c : cases) {
        EXPECT_EQ(failureOf([&] { browser->navigate(c.path); }), c.failure)
            << platform::toUtf8(c.path);
    }
    EXPECT_FALSE(spinUntil([&] { return !completed.empty(); }, 1000));
}

TEST_F(WebEngineTest, AFinishedPageRaisesOneEventThroughTheEventLoop) {
    // Odd bytes in the name reach the engine unchanged: a space, "#", "%41", and a byte that is
    // not UTF-8.
    const std::string page = write(QString::fromUtf8("a #1 %41 \xc3\xa9"), Page);
    const std::string oddPage = page + "\xff.htm";
    ASSERT_EQ(std::rename(page.c_str(), oddPage.c_str()), 0);

    auto browser = engine();
    browser->navigate(platform::fromUtf8(oddPage));
    EXPECT_TRUE(completed.empty()); // returns without waiting
    ASSERT_TRUE(spinUntil([&] { return !completed.empty(); }));
    spinUntil([] { return false; }, 1000); // a frame adds no event of its own
    ASSERT_EQ(completed.size(), 1u);
    EXPECT_EQ(completed[0].substr(0, 8), u"file:///");
}

TEST_F(WebEngineTest, ExecWBKnowsOnlyThePrintCommandAfterALoad) {
    auto browser = engine();
    EXPECT_EQ(failureOf([&] { browser->execWB(6, 1); }), ErrorNumber::InvalidProcedureCall);
    browser->navigate(platform::fromUtf8(write("page.html", Page)));
    ASSERT_TRUE(spinUntil([&] { return !completed.empty(); }));
    EXPECT_EQ(failureOf([&] { browser->execWB(5, 1); }), ErrorNumber::InvalidProcedureCall);
    EXPECT_EQ(failureOf([&] { browser->execWB(6, 2); }), ErrorNumber::InvalidProcedureCall);
    // Offscreen nobody can answer the browser's print dialog.
    EXPECT_EQ(failureOf([&] { browser->execWB(6, 1); }), ErrorNumber::PrinterError);
}

// A poppler tool's output for a file.
QString popplerOutput(const QString& tool, const QString& file) {
    QProcess process;
    process.start(tool, tool == "pdftotext" ? QStringList{file, "-"} : QStringList{file});
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(WebEngineTest, PrintingToAFileAppliesThePagesAndPaperChosen) {
    QByteArray longPage = "<html><body>";
    for (int paragraph = 1; paragraph <= 150; ++paragraph) {
        longPage += "<p>Paragraph " + QByteArray::number(paragraph) + " of the ledger</p>";
    }
    longPage += "</body></html>";
    auto browser = engine();
    browser->navigate(platform::fromUtf8(write("long.html", longPage)));
    ASSERT_TRUE(spinUntil([&] { return !completed.empty(); }));
    auto& qtEngine = dynamic_cast<qtbackend::QtWebEngine&>(*browser);

    const struct {
        QPageLayout::Orientation orientation;
        int from;
        int to;
        bool onePage;
        QString pageSize;
    } cases[] = {
        {QPageLayout::Portrait, 0, 0, false, "594.96 x 841.92"},
        {QPageLayout::Landscape, 2, 2, true, "841.92 x 594.96"},
    };
    for (const auto& c : cases) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(directory.filePath("out.pdf"));
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), c.orientation,
                                          QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        if (c.from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(c.from, c.to);
        }
        qtEngine.printWith(printer);
        const QString info = popplerOutput("pdfinfo", printer.outputFileName());
        EXPECT_EQ(info.contains(QRegularExpression("Pages: +1\\n")), c.onePage)
            << info.toStdString();
        EXPECT_TRUE(info.contains(c.pageSize)) << info.toStdString();
        const QString text = popplerOutput("pdftotext", printer.outputFileName());
        EXPECT_EQ(text.contains("Paragraph 1 of"), c.from == 0) << text.toStdString();
    }
}

TEST_F(WebEngineTest, AMissingModuleFailsToCreateTheEngine) {
    EXPECT_EQ(failureOf([&] { qtbackend::loadWebEngineFrom(directory.path(), &window, {}, {}); }),
              ErrorNumber::ObjectRequired);
}

class WebViewTest : public WebEngineTest {
protected:
    void SetUp() override {
        WebEngineTest::SetUp();
        // As the loader does for the program: Chromium's sandbox cannot run as root.
        if (::geteuid() == 0) {
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        }
    }

    std::unique_ptr<qtbackend::WebView> view(QWidget* parent) {
        QLibrary module(ModuleDirectory + "/" + qtbackend::WebModuleFileName);
        auto create = reinterpret_cast<qtbackend::CreateWebView>(
            module.resolve(qtbackend::CreateWebViewSymbol));
        EXPECT_NE(create, nullptr) << module.errorString().toStdString();
        return std::unique_ptr<qtbackend::WebView>(
            create(parent, QRect(8, 136, 377, 169), [this](const QUrl& url) {
                completed.push_back(url.toString().toStdU16String());
            }));
    }

    const QPageLayout A4{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                         QPageLayout::Millimeter};
};

TEST_F(WebViewTest, PrintsTheDocumentAsTextWithoutHeaderOrFooter) {
    auto page = view(&window);
    EXPECT_FALSE(page->hasDocument());
    page->load(QUrl::fromLocalFile(QString::fromStdString(write("page.html", Page))));
    ASSERT_TRUE(spinUntil([&] { return !completed.empty(); }));
    EXPECT_TRUE(page->hasDocument());
    EXPECT_EQ(page->title(), "Orchard");

    const QByteArray pdf = page->printToPdf(A4, {});
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-", "-"});
    pdftotext.write(pdf);
    pdftotext.closeWriteChannel();
    ASSERT_TRUE(pdftotext.waitForFinished());
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Quinces and medlars")) << text.toStdString();
    EXPECT_TRUE(text.contains("Framed greetings")) << text.toStdString();
    EXPECT_FALSE(text.contains("file:")) << text.toStdString();
    EXPECT_FALSE(text.contains("Orchard")) << text.toStdString();
}

TEST_F(WebViewTest, PrintingOutlastsTheWindowAndTheEventLoops) {
    // An unload mid-print: the window goes and the event loops are told to quit. The page stays
    // until the engine is done with it, and the document still comes out.
    auto* parent = new QWidget;
    auto page = view(parent);
    page->load(QUrl::fromLocalFile(QString::fromStdString(write("page.html", Page))));
    ASSERT_TRUE(spinUntil([&] { return !completed.empty(); }));
    QByteArray pdf;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, parent, [parent] { delete parent; });
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        pdf = page->printToPdf(A4, {});
    });
    QCoreApplication::exec();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_TRUE(page->printToPdf(A4, {}).startsWith("%PDF")); // and again, without a view
}

} // namespace
