// Start-up: the length test, the extension and the dispatch of Form_Load.

#include <string>

#include <gtest/gtest.h>

#include "tests/support/ProgramFixture.h"

namespace {

class FormLoadTest : public fake::ProgramFixture {};

TEST_F(FormLoadTest, ShortCommandTextsEndAtOnce) {
    // Counted in UTF-16 characters: four letters with accents are still four.
    for (const std::u16string command : {u"", u"a.jp", u"\u00e9\u00e8.\u00fc", u"    "}) {
        fake::ProgramRun run;
        Form1& form = run.start(command);
        EXPECT_FALSE(form.IsLoaded());
        EXPECT_TRUE(run.backend.printDialogRecords.empty());
        EXPECT_TRUE(form.FileExtension.empty());
        EXPECT_EQ(form.txtCommand.Text(), command);
    }
}

TEST_F(FormLoadTest, FiveCharactersReachTheDispatch) {
    Form1& form = start(u"a.jpg");
    EXPECT_EQ(form.FileExtension, u"jpg");
    EXPECT_EQ(backend.printDialogRecords.size(), 1u);
}

TEST_F(FormLoadTest, FileExtensionIsWhatFollowsTheLastDotCutTo12Characters) {
    const struct {
        std::u16string command;
        std::u16string extension;
    } cases[] = {
        {u"photo.jpg", u"jpg"},
        {u"notes.txt", u"txt"},
        {u"archive.tar.gz", u"gz"},
        {u"PRINT_DIRECTORY", u"PRINT_DIRECT"},      // no ".": the first 12 characters
        {u"trailing.", u""},                        // "." as the last character
        {u"v1.2/picture", u"2/picture"},            // the last "." lies in a folder name
        {u"a.htmlandmoreletters", u"htmlandmorel"}, // cut to 12
        {u"\"my page.htm\"", u"htm\""},             // quotation marks stay
        {u"name.\u00e9t\u00e9", u"\u00e9t\u00e9"},
    };
    for (const auto& c : cases) {
        fake::ProgramRun run;
        EXPECT_EQ(run.start(c.command).FileExtension, c.extension)
            << std::string(c.command.begin(), c.command.end());
    }
}

TEST_F(FormLoadTest, CommandTextIsStoredUnchanged) {
    const std::u16string command = u"  \"odd name\" with  spaces.jpg ";
    EXPECT_EQ(start(command).txtCommand.Text(), command);
}

TEST_F(FormLoadTest, AnythingButKeywordsAndWebPagesAsksForConfirmation) {
    // Keywords are exact and case-sensitive; web extensions are lower case only.
    for (const std::u16string command :
         {u"print_list", u"PRINT_LIST ", u" PRINT_LIST", u"Print_Dialog", u"page.HTM", u"page.HTML",
          u"page.html5", u"notes.TXT", u"picture", u"page.htm\""}) {
        fake::ProgramRun run;
        Form1& form = run.start(command);
        EXPECT_EQ(run.backend.printDialogRecords.size(), 1u)
            << std::string(command.begin(), command.end());
        EXPECT_EQ(run.backend.web.enginesCreated, 0);
        EXPECT_FALSE(form.IsLoaded());
    }
}

TEST_F(FormLoadTest, WebPagesLeaveTheFormLoaded) {
    for (const std::u16string command : {u"page.html", u"page.htm", u"some.dir/index.htm"}) {
        fake::ProgramRun run;
        Form1& form = run.start(command);
        EXPECT_TRUE(form.IsLoaded());
        EXPECT_TRUE(run.backend.printDialogRecords.empty());
    }
}

TEST_F(FormLoadTest, KeywordsEndWithTheFormUnloaded) {
    for (const std::u16string command : {u"PRINT_DIRECTORY", u"PRINT_DIALOG", u"PRINT_LIST"}) {
        fake::ProgramRun run;
        Form1& form = run.start(command);
        EXPECT_FALSE(form.IsLoaded());
        EXPECT_FALSE(run.backend.windowAlive());
    }
}

TEST_F(FormLoadTest, ACommandTooLongForA16BitPositionFallsToTheConfirmation) {
    // The search position no longer fits 16 bits: the extension step fails, is ignored, and the
    // text is treated as a picture name.
    std::u16string command(40000, u'x');
    command.replace(39990, 5, u".html");
    Form1& form = start(command);
    EXPECT_TRUE(form.FileExtension.empty());
    EXPECT_EQ(backend.printDialogRecords.size(), 1u);
    EXPECT_FALSE(form.IsLoaded());
}

TEST_F(FormLoadTest, TheLongestCommandWhosePositionsFitStillFindsItsExtension) {
    std::u16string command(32767, u'x');
    command.replace(32767 - 4, 4, u".htm");
    EXPECT_EQ(start(command).FileExtension, u"htm");
}

} // namespace
