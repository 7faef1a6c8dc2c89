// Rich text printing: the page loop of PrintRichText against a scripted formatting engine and the
// recording printer, and PrintTextDocument's place on the dispatch.

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Runtime.h"
#include "platform/Win32.h"
#include "printing/modPrinting.h"
#include "tests/support/ProgramFixture.h"

namespace {

using Calls = std::vector<fake::ScriptedRichTextScript::Call>;

constexpr const char16_t* NotesPath = u"/opt/quillet/notes.txt";

int countOf(const std::vector<std::string>& calls, const std::string& line) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), line));
}

std::vector<platform::FORMATRANGE> renders(const Calls& calls) {
    std::vector<platform::FORMATRANGE> records;
    for (const auto& call : calls) {
        if (call.render && call.range) {
            records.push_back(*call.range);
        }
    }
    return records;
}

class RichTextPrintingTest : public fake::ProgramFixture {
protected:
    // Prints notes.txt with this plain text, the engine answering these positions.
    void printNotes(const std::u16string& text, std::vector<std::int32_t> answers = {}) {
        backend.richText.files[NotesPath] = text;
        backend.richText.renderAnswers = std::move(answers);
        start(u"notes.txt");
    }
    const std::vector<std::string>& printerCalls() const { return backend.recordingPrinter.calls; }
    const Calls& engineCalls() const { return backend.richText.calls; }
};

TEST_F(RichTextPrintingTest, EachPageCostsOneRenderAndTheDocumentOneEndDocAndOneRelease) {
    const std::u16string hundred(100, u'x');
    const struct {
        const char* name;
        std::u16string text;
        std::vector<std::int32_t> answers;
        std::vector<std::int32_t> cpMins; // one per page
    } cases[] = {
        {"empty document", u"", {}, {0}},
        {"empty document answering more", u"", {5}, {0}},
        {"fits one page", u"hello", {}, {0}},
        {"three pages", hundred, {40, 80, 100}, {0, 40, 80}},
        {"an answer past the end ends", hundred, {40, 120}, {0, 40}},
        {"one below the length starts a page", hundred, {40, 99, 100}, {0, 40, 99}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::ProgramRun run;
        run.backend.richText.files[NotesPath] = c.text;
        run.backend.richText.renderAnswers = c.answers;
        Form1& form = run.start(u"notes.txt");

        const int pages = static_cast<int>(c.cpMins.size());
        const auto& printer = run.backend.recordingPrinter.calls;
        const auto& calls = run.backend.richText.calls;
        const auto records = renders(calls);
        ASSERT_EQ(static_cast<int>(records.size()), pages);
        for (int page = 0; page < pages; ++page) {
            EXPECT_EQ(records[page].chrg.cpMin, c.cpMins[page]);
            EXPECT_EQ(records[page].chrg.cpMax, -1);
        }
        EXPECT_EQ(countOf(printer, "NewPage"), pages - 1);
        EXPECT_EQ(countOf(printer, "Print \" \""), pages);
        EXPECT_EQ(countOf(printer, "EndDoc"), 1);
        EXPECT_EQ(printer.back(), "EndDoc");
        EXPECT_EQ(run.backend.recordingPrinter.documentsEnded(), 1);
        // The release comes last, once, with no record.
        ASSERT_EQ(calls.size(), records.size() + 1);
        EXPECT_FALSE(calls.back().render);
        EXPECT_FALSE(calls.back().range.has_value());
        EXPECT_FALSE(form.IsLoaded());
    }
}

TEST_F(RichTextPrintingTest, TheStepsReachThePrinterInOrder) {
    backend.recordingPrinter.offsetXPixels = 125;
    backend.recordingPrinter.offsetYPixels = 50;
    printNotes(std::u16string(10, u'x'), {5, 10});
    std::vector<std::string> steps;
    for (const std::string& call : printerCalls()) {
        steps.push_back(call.rfind("hDC ", 0) == 0 ? "hDC" : call);
    }
    EXPECT_EQ(steps, (std::vector<std::string>{
                         "Print \" \"", "ScaleMode 1", "hDC", "ScaleX 125 3 1", "hDC",
                         "ScaleY 50 3 1", "Width", "Height", "ScaleWidth", "ScaleHeight", "hDC",
                         "hDC",                                  // first page
                         "NewPage", "Print \" \"", "hDC", "hDC", // second page
                         "EndDoc"}));
}

TEST_F(RichTextPrintingTest, TheTextAreaIsMeasuredFromThePrintableAreasOrigin) {
    // 600 pixels per inch: 125 pixels are 300 twips, 250 pixels 600 twips.
    backend.recordingPrinter.offsetXPixels = 125;
    backend.recordingPrinter.offsetYPixels = 250;
    printNotes(u"hello");
    const auto records = renders(engineCalls());
    ASSERT_EQ(records.size(), 1u);
    const std::int32_t paperWidth = 4960 * 1440 / 600;  // 11904 twips
    const std::int32_t paperHeight = 7016 * 1440 / 600; // 16838.4, rounded by the printer
    EXPECT_EQ(records[0].rc.left, 420);
    EXPECT_EQ(records[0].rc.right, paperWidth - 1020);
    EXPECT_EQ(records[0].rc.top, 120);
    EXPECT_EQ(records[0].rc.bottom, paperHeight - 720 - 600);
    EXPECT_EQ(records[0].rcPage.left, 0);
    EXPECT_EQ(records[0].rcPage.top, 0);
    EXPECT_EQ(records[0].rcPage.right, (4960 - 250) * 1440 / 600);  // ScaleWidth, 11304
    EXPECT_EQ(records[0].rcPage.bottom, (7016 - 500) * 1440 / 600); // ScaleHeight, 15638
}

TEST_F(RichTextPrintingTest, OffsetsAndPageSizesRoundHalvesToEven) {
    // At 2880 pixels per inch a pixel is half a twip.
    const struct {
        std::int32_t offsetPixels;
        std::int32_t offsetTwips;
        std::int32_t paperPixels;
        std::int32_t scaleWidth;
    } cases[] = {
        {717, 358, 4961, 1764}, // 358.5 -> 358; printable 3527 px = 1763.5 -> 1764
        {719, 360, 4963, 1762}, // 359.5 -> 360; printable 3525 px = 1762.5 -> 1762
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offsetPixels);
        fake::ProgramRun run;
        run.backend.recordingPrinter.pixelsPerInch = 2880;
        run.backend.recordingPrinter.offsetXPixels = c.offsetPixels;
        run.backend.recordingPrinter.offsetYPixels = c.offsetPixels;
        run.backend.recordingPrinter.paperWidthPixels = c.paperPixels;
        run.backend.richText.files[NotesPath] = u"hello";
        run.start(u"notes.txt");
        const auto records = renders(run.backend.richText.calls);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].rc.left, 720 - c.offsetTwips);
        EXPECT_EQ(records[0].rc.top, 720 - c.offsetTwips);
        EXPECT_EQ(records[0].rcPage.right, c.scaleWidth);
    }
}

TEST_F(RichTextPrintingTest, EveryPageIsFormattedOntoItsOwnDeviceContext) {
    // The device context of the page open while each page is formatted.
    std::vector<platform::Handle> openPages;
    backend.richText.whileRendering = [&](const platform::FORMATRANGE&) {
        openPages.push_back(backend.recordingPrinter.hDC());
    };
    printNotes(std::u16string(100, u'x'), {30, 60, 90, 100});
    const auto records = renders(engineCalls());
    ASSERT_EQ(records.size(), 4u);
    ASSERT_EQ(openPages.size(), 4u);
    for (std::size_t page = 0; page < records.size(); ++page) {
        SCOPED_TRACE(page);
        EXPECT_EQ(records[page].hdc, openPages[page]);
        EXPECT_EQ(records[page].hdcTarget, openPages[page]);
        if (page > 0) {
            EXPECT_NE(records[page].hdc, records[page - 1].hdc);
        }
        // The rest of the record stays as the first page set it.
        EXPECT_EQ(std::memcmp(&records[page].rc, &records[0].rc, sizeof(platform::RECT)), 0);
        EXPECT_EQ(std::memcmp(&records[page].rcPage, &records[0].rcPage, sizeof(platform::RECT)),
                  0);
    }
}

TEST_F(RichTextPrintingTest, APageWithoutProgressEndsTheDocumentWithWhatIsPrinted) {
    const struct {
        const char* name;
        std::vector<std::int32_t> answers;
        int pages;
    } cases[] = {
        {"the first page answers 0", {0}, 1},
        {"a negative answer", {-1}, 1},
        {"the same position again", {40, 40}, 2},
        {"a position going back", {40, 70, 50}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::ProgramRun run;
        run.backend.richText.files[NotesPath] = std::u16string(100, u'x');
        run.backend.richText.renderAnswers = c.answers;
        Form1& form = run.start(u"notes.txt");
        const auto& printer = run.backend.recordingPrinter.calls;
        const auto& calls = run.backend.richText.calls;
        EXPECT_EQ(static_cast<int>(renders(calls).size()), c.pages);
        EXPECT_EQ(countOf(printer, "NewPage"), c.pages - 1);
        EXPECT_EQ(run.backend.recordingPrinter.documentsEnded(), 1);
        EXPECT_EQ(printer.back(), "EndDoc");
        EXPECT_FALSE(calls.back().range.has_value()); // released
        EXPECT_FALSE(form.IsLoaded());
    }
}

TEST_F(RichTextPrintingTest, AFailureMidDocumentEndsQuietlyWithoutEndDocOrRelease) {
    const struct {
        const char* name;
        std::string failOn;
        int failAfter;
        std::optional<std::size_t> failingRender;
        int renders;
    } cases[] = {
        {"no default printer", "Print", 0, std::nullopt, 0},
        {"the paper's width", "Width", 0, std::nullopt, 0},
        {"the second NewPage", "NewPage", 1, std::nullopt, 2},
        {"the space of page 3", "Print", 2, std::nullopt, 2},
        {"the third render", "", 0, 2, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::ProgramRun run;
        run.backend.richText.files[NotesPath] = std::u16string(100, u'x');
        run.backend.richText.renderAnswers = {30, 60, 90, 100};
        run.backend.richText.failingRender = c.failingRender;
        run.backend.recordingPrinter.failOn = c.failOn;
        run.backend.recordingPrinter.failAfter = c.failAfter;
        Form1& form = run.start(u"notes.txt");
        const auto& calls = run.backend.richText.calls;
        EXPECT_EQ(static_cast<int>(calls.size()), c.renders);
        EXPECT_TRUE(std::all_of(calls.begin(), calls.end(), [](const auto& call) {
            return call.render && call.range.has_value();
        })); // no release message
        EXPECT_EQ(countOf(run.backend.recordingPrinter.calls, "EndDoc"), 0);
        EXPECT_FALSE(form.IsLoaded()); // ShowPrintDialog goes on as after a normal return
    }
}

TEST_F(RichTextPrintingTest, EdgesOutsideThe32BitRangeFailQuietly) {
    runtime = std::make_unique<platform::Runtime>(backend, u"notes.txt", ProgramDirectory);
    form = std::make_unique<Form1>();
    backend.richText.files[NotesPath] = u"hello";
    form->rtbPrint.SetFileName(NotesPath);
    backend.recordingPrinter.offsetXPixels = 125; // 300 twips
    backend.recordingPrinter.offsetYPixels = 125;

    const struct {
        std::int32_t left;
        double top;
        double right;
    } cases[] = {
        {INT_MIN, 720, 720},       // left - offset underflows
        {720, -2147483500.0, 720}, // top - offset underflows
        {720, 720, -2147483000.0}, // (width - right) - offset overflows
    };
    for (const auto& c : cases) {
        backend.recordingPrinter.calls.clear();
        backend.richText.calls.clear();
        PrintRichText(form->rtbPrint, c.left, c.top, c.right, 720);
        EXPECT_TRUE(backend.richText.calls.empty());
        EXPECT_EQ(countOf(backend.recordingPrinter.calls, "EndDoc"), 0);
    }
    // Width - right lies beyond the 32-bit range, but the whole edge fits: the untyped margins are
    // worked out in a wider type and converted at the end.
    backend.recordingPrinter.calls.clear();
    PrintRichText(form->rtbPrint, 720, 720, 11904.0 - INT_MAX - 100, 720);
    const auto records = renders(backend.richText.calls);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].rc.right, INT_MAX + 100LL - 300);
}

TEST_F(RichTextPrintingTest, ConfirmedDocumentsAreLoadedFromTheProgramDirectoryAndPrinted) {
    const struct {
        std::u16string command;
        std::u16string path;
    } cases[] = {
        {u"notes.txt", u"/opt/quillet/notes.txt"},
        {u"letter.rtf", u"/opt/quillet/letter.rtf"},
        {u" my notes.txt", u"/opt/quillet/ my notes.txt"}, // unchanged: no trimming
        {u"../docs/a.b.rtf", u"/opt/quillet/../docs/a.b.rtf"},
    };
    for (const auto& c : cases) {
        fake::ProgramRun run;
        run.backend.richText.files[c.path] = u"some text";
        Form1& form = run.start(c.command);
        EXPECT_EQ(run.backend.richText.loadedPaths, std::vector<std::u16string>{c.path});
        EXPECT_EQ(form.txtCommand.Text(), c.command);
        EXPECT_EQ(run.backend.recordingPrinter.documentsEnded(), 1);
        EXPECT_TRUE(run.backend.pictures.loaded.empty());
        EXPECT_FALSE(form.IsLoaded());
    }
}

TEST_F(RichTextPrintingTest, AMissingDocumentPrintsNothingAndEndsTheRun) {
    Form1& form = start(u"notes.txt");
    EXPECT_EQ(backend.richText.loadedPaths, std::vector<std::u16string>{NotesPath});
    EXPECT_TRUE(backend.recordingPrinter.calls.empty());
    EXPECT_TRUE(backend.richText.calls.empty());
    EXPECT_FALSE(form.IsLoaded());
}

TEST_F(RichTextPrintingTest, AnUpperCaseExtensionTakesThePictureRoad) {
    backend.richText.files[u"/opt/quillet/notes.TXT"] = u"text";
    Form1& form = start(u"notes.TXT");
    EXPECT_EQ(backend.pictures.loaded, std::vector<std::u16string>{u"/opt/quillet/notes.TXT"});
    EXPECT_TRUE(backend.richText.loadedPaths.empty());
    EXPECT_TRUE(backend.richText.calls.empty());
    EXPECT_EQ(backend.recordingPrinter.documentsEnded(), 0);
    EXPECT_FALSE(form.IsLoaded());
}

} // namespace
