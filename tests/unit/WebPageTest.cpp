// The web page road: the navigation, the print command on every finished document, and the
// timed close.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "tests/support/ProgramFixture.h"

namespace {

using Command = std::pair<std::int32_t, std::int32_t>;
const Command PrintAskingTheUser{6, 1};

class WebPageTest : public fake::ProgramFixture {};

TEST_F(WebPageTest, NavigatesToTheNameInTheProgramDirectory) {
    const struct {
        std::u16string command;
        std::u16string path;
    } cases[] = {
        {u"page.htm", u"/opt/quillet/page.htm"},
        {u"page.html", u"/opt/quillet/page.html"},
        {u"sub dir/My Page.htm", u"/opt/quillet/sub dir/My Page.htm"},
        {u"../elsewhere/x.html", u"/opt/quillet/../elsewhere/x.html"},
        {u"\u00e9t\u00e9.htm", u"/opt/quillet/\u00e9t\u00e9.htm"},
    };
    for (const auto& c : cases) {
        fake::ProgramRun run;
        Form1& form = run.start(c.command);
        EXPECT_EQ(form.txtCommand.Text(), c.path);
        EXPECT_EQ(run.backend.web.navigations, std::vector<std::u16string>{c.path});
        EXPECT_EQ(run.backend.web.enginesCreated, 1);
        EXPECT_TRUE(form.IsLoaded());
        EXPECT_FALSE(form.tmr.Enabled());
        EXPECT_TRUE(run.backend.web.commands.empty());
    }
}

TEST_F(WebPageTest, TheBrowserLiesAtItsPlaceOnTheForm) {
    start(u"page.htm");
    EXPECT_EQ(backend.web.placement.left, 120);
    EXPECT_EQ(backend.web.placement.top, 2040);
    EXPECT_EQ(backend.web.placement.width, 5655);
    EXPECT_EQ(backend.web.placement.height, 2535);
}

TEST_F(WebPageTest, EachFinishedDocumentPrintsAndThenEnablesTheTimer) {
    // Two documents, as a page and its frame: two print commands, the timer enabled only after
    // the first has returned, and the program's own Print dialog never shown.
    std::vector<bool> timerEnabledWhilePrinting;
    backend.web.whileExecuting = [&] { timerEnabledWhilePrinting.push_back(form->tmr.Enabled()); };
    start(u"page.htm");

    backend.web.completeDocument(u"file:///opt/quillet/page.htm");
    EXPECT_EQ(backend.web.commands, std::vector<Command>{PrintAskingTheUser});
    EXPECT_TRUE(form->tmr.Enabled());

    backend.web.completeDocument(u"file:///opt/quillet/frame.htm");
    EXPECT_EQ(backend.web.commands, (std::vector<Command>{PrintAskingTheUser, PrintAskingTheUser}));
    EXPECT_EQ(timerEnabledWhilePrinting, (std::vector<bool>{false, true}));
    EXPECT_TRUE(form->tmr.Enabled());
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_TRUE(backend.printDialogRecords.empty());
    EXPECT_EQ(form->wbr.LocationURL(), u"file:///opt/quillet/frame.htm");
}

TEST_F(WebPageTest, AFailingPrintCommandStillEnablesTheTimer) {
    backend.web.execFails = true;
    start(u"page.html");
    backend.web.completeDocument(u"file:///opt/quillet/page.html");
    EXPECT_EQ(backend.web.commands.size(), 1u);
    EXPECT_TRUE(form->tmr.Enabled());
    EXPECT_TRUE(form->IsLoaded());

    backend.clock.advance(4000);
    EXPECT_FALSE(form->IsLoaded());
}

TEST_F(WebPageTest, TheTimerUnloads4000MsAfterThePrintCommandReturned) {
    // The user takes ten seconds in the browser's print dialog; the count starts after it.
    backend.web.whileExecuting = [&] { backend.clock.advance(10000); };
    start(u"page.htm");
    backend.web.completeDocument(u"file:///opt/quillet/page.htm");

    backend.clock.advance(3999);
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_TRUE(backend.windowAlive());
    backend.clock.advance(1);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_FALSE(backend.windowAlive());
    EXPECT_GE(backend.quitRequests, 1);
    backend.clock.advance(100000); // gone with the window: no further tick
    EXPECT_EQ(backend.web.commands.size(), 1u);
}

TEST_F(WebPageTest, ALaterDocumentDoesNotRestartTheCount) {
    start(u"page.htm");
    backend.web.completeDocument(u"file:///opt/quillet/page.htm");
    backend.clock.advance(3000);
    backend.web.completeDocument(u"file:///opt/quillet/frame.htm");
    backend.clock.advance(1000);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(backend.web.commands.size(), 2u);
}

TEST_F(WebPageTest, ARefusedNavigationLeavesTheWindowUntilItIsClosed) {
    backend.web.navigateFails = true;
    start(u"gone.htm");
    EXPECT_EQ(form->txtCommand.Text(), u"/opt/quillet/gone.htm");
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_FALSE(form->tmr.Enabled());
    backend.clock.advance(60000);
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_TRUE(backend.web.commands.empty());
    EXPECT_TRUE(backend.printDialogRecords.empty());

    backend.closeWindowFromOutside();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_FALSE(backend.windowAlive());
}

TEST_F(WebPageTest, AWholeRunEndsWithTheTimer) {
    backend.whileInMessageLoop = [&] {
        EXPECT_TRUE(backend.windowShown);
        backend.web.completeDocument(u"file:///opt/quillet/page.htm");
        backend.clock.advance(4000);
        EXPECT_FALSE(backend.windowAlive());
    };
    EXPECT_EQ(runProgram(u"page.htm"), 0);
    EXPECT_EQ(backend.shownCaption, u"Quillet");
    EXPECT_EQ(backend.shownClientWidthTwips, 1950);
    EXPECT_EQ(backend.shownClientHeightTwips, 30);
    // An .ico of two 16 x 16 pictures: 16 colours at 4 bits, 256 colours at 8 bits.
    const std::vector<std::uint8_t>& icon = backend.shownIcon;
    ASSERT_GE(icon.size(), 38U);
    EXPECT_EQ(std::vector<std::uint8_t>(icon.begin(), icon.begin() + 6),
              (std::vector<std::uint8_t>{0, 0, 1, 0, 2, 0}));
    EXPECT_EQ(std::vector<std::uint8_t>(icon.begin() + 6, icon.begin() + 9),
              (std::vector<std::uint8_t>{16, 16, 16}));
    EXPECT_EQ(icon[12], 4);
    EXPECT_EQ(std::vector<std::uint8_t>(icon.begin() + 22, icon.begin() + 25),
              (std::vector<std::uint8_t>{16, 16, 0}));
    EXPECT_EQ(icon[28], 8);
    EXPECT_EQ(backend.web.commands, std::vector<Command>{PrintAskingTheUser});
    EXPECT_TRUE(backend.printDialogRecords.empty());
}

TEST_F(WebPageTest, ClosingTheWindowWhilePrintingEndsTheRun) {
    // Closed from outside while the browser's print dialog is up: the timer is not started on
    // an unloaded form, and later documents are dropped.
    backend.web.whileExecuting = [&] { backend.closeWindowFromOutside(); };
    start(u"page.htm");
    backend.web.completeDocument(u"file:///opt/quillet/page.htm");
    EXPECT_FALSE(form->IsLoaded());
    backend.clock.advance(10000);
    backend.web.completeDocument(u"file:///opt/quillet/page.htm");
    EXPECT_EQ(backend.web.commands.size(), 1u);
}

TEST_F(WebPageTest, OnlyTheWebPageRoadCreatesTheEngine) {
    const struct {
        std::u16string command;
        int engines;
    } cases[] = {
        {u"page.htm", 1},        {u"page.html", 1},    {u"page.HTM", 0},
        {u"photo.jpg", 0},       {u"notes.txt", 0},    {u"PRINT_LIST", 0},
        {u"PRINT_DIRECTORY", 0}, {u"page.htm.jpg", 0}, {u"a.htm", 1},
    };
    for (const auto& c : cases) {
        fake::ProgramRun run;
        run.start(c.command);
        EXPECT_EQ(run.backend.web.enginesCreated, c.engines)
            << std::string(c.command.begin(), c.command.end());
    }
}

} // namespace
