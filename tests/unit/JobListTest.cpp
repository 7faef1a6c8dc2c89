// The three job list sources, each run by Form_Load against a real program directory.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Form1.h"
#include "platform/Runtime.h"
#include "tests/support/FakeBackend.h"
#include "tests/unit/JobListTempDirectory.h"

namespace {

using namespace std::string_literals;
using Entries = std::vector<std::u16string>;

const std::u16string Filter =
    u"All Image Files|*.jpg;*.gif;*.bmp;*.tiff|JPG - JPEG Bitmap (*.jpg)|*.jpg|GIF - CompuServe "
    u"Bitmap (*.gif)|*.gif|BMP - Windows Bitmap (*.bmp)|*.bmp|TIF - TIFF Bitmap (*.tiff)|*.tiff";

// One run of the program whose program directory is a fresh temporary folder. The job list is
// taken as it stands when the Print dialog opens.
class JobListTest : public ::testing::Test {
protected:
    JobListTest() {
        backend.printDialogAnswer = 0;
        backend.whilePrintDialogShown = [this] {
            Entries entries;
            for (std::int16_t i = 0; i < form->lstPrint.ListCount(); ++i) {
                entries.push_back(form->lstPrint.List(i));
            }
            jobListsAtPrintDialog.push_back(entries);
        };
    }

    Form1& start(const std::u16string& command) { return startIn(dir.path16(), command); }
    Form1& startIn(const std::u16string& programDirectory, const std::u16string& command) {
        form.reset();
        runtime.reset();
        runtime = std::make_unique<platform::Runtime>(backend, command, programDirectory);
        form = std::make_unique<Form1>();
        form->Load();
        EXPECT_FALSE(form->IsLoaded()); // every batch road ends unloaded
        return *form;
    }
    bool printDialogShown() const { return !backend.printDialogRecords.empty(); }

    joblisttest::TempDirectory dir;
    fake::FakeBackend backend;
    std::unique_ptr<platform::Runtime> runtime;
    std::unique_ptr<Form1> form;
    std::vector<Entries> jobListsAtPrintDialog;
};

// ---- PRINT_LIST ----

struct ListCase {
    const char* what;
    std::string content;
    Entries entries;
};

TEST_F(JobListTest, ListTxtGivesOneEntryPerNonBlankLine) {
    const ListCase cases[] = {
        {"blank lines and spaces", "a.jpg\r\n   \r\n  b.gif  \r\n\r\n", {u"a.jpg", u"b.gif"}},
        {"CR only", "a.jpg\r   \r  b.gif  \r\r", {u"a.jpg", u"b.gif"}},
        {"LF only", "a.jpg\n   \n  b.gif  \n\n", {u"a.jpg", u"b.gif"}},
        {"duplicates kept", "a.jpg\r\nb.gif\r\na.jpg", {u"a.jpg", u"b.gif", u"a.jpg"}},
        {"tabs are not blank", "\t\t\r\nb.gif", {u"\t\t", u"b.gif"}},
        {"inner spaces kept", " my photo.jpg ", {u"my photo.jpg"}},
        {"byte-order mark",
         "\xef\xbb\xbf"
         "a.jpg",
         {u"a.jpg"}},
        {"subfolders", "sub/a.jpg\n../b.gif", {u"sub/a.jpg", u"../b.gif"}},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.what);
        backend.printDialogRecords.clear();
        jobListsAtPrintDialog.clear();
        dir.write("list.txt", c.content);
        start(u"PRINT_LIST");
        ASSERT_EQ(jobListsAtPrintDialog.size(), 1u);
        EXPECT_EQ(jobListsAtPrintDialog[0], c.entries);
    }
}

TEST_F(JobListTest, AnUnusableListTxtEndsWithoutThePrintDialog) {
    const char* what[] = {"missing", "empty", "blank lines only", "a folder", "too many entries"};
    for (const char* w : what) {
        SCOPED_TRACE(w);
        joblisttest::TempDirectory programDir;
        const std::string name(w);
        if (name == "empty") {
            programDir.write("list.txt", "");
        } else if (name == "blank lines only") {
            programDir.write("list.txt", "   \r\n\r\n  \n ");
        } else if (name == "a folder") {
            programDir.makeDirectory("list.txt");
        } else if (name == "too many entries") {
            std::string lines;
            for (int i = 0; i < 32768; ++i) {
                lines += "p.jpg\n";
            }
            programDir.write("list.txt", lines);
        }
        backend.printDialogRecords.clear();
        startIn(programDir.path16(), u"PRINT_LIST");
        EXPECT_FALSE(printDialogShown());
        EXPECT_FALSE(backend.windowAlive());
    }
}

TEST_F(JobListTest, ListTxtIsLookedUpInTheProgramDirectoryNotTheWorkingOne) {
    dir.write("list.txt", "a.jpg");
    joblisttest::TempDirectory elsewhere;
    startIn(elsewhere.path16(), u"PRINT_LIST");
    EXPECT_FALSE(printDialogShown());
}

// ---- PRINT_DIRECTORY ----

TEST_F(JobListTest, TheDirectoryListsMatchingVisibleFilesByName) {
    for (const char* name : {"b.gif", "a.jpg", "a.TIF", "b.tiff", ".hidden.jpg", "notes.txt",
                             "C.Bmp", "jpg", "x.jpg.txt"}) {
        dir.write(name, "x");
    }
    dir.makeDirectory("sub.jpg");
    start(u"PRINT_DIRECTORY");
    ASSERT_EQ(jobListsAtPrintDialog.size(), 1u);
    EXPECT_EQ(jobListsAtPrintDialog[0], (Entries{u"a.jpg", u"a.TIF", u"b.gif", u"C.Bmp"}));
}

TEST_F(JobListTest, ADirectoryWithoutPicturesStillShowsThePrintDialog) {
    dir.write("notes.txt", "x");
    start(u"PRINT_DIRECTORY");
    ASSERT_EQ(jobListsAtPrintDialog.size(), 1u);
    EXPECT_TRUE(jobListsAtPrintDialog[0].empty());
}

TEST_F(JobListTest, AnUnreadableProgramDirectoryEndsTheRun) {
    startIn(dir / u"gone", u"PRINT_DIRECTORY");
    EXPECT_FALSE(printDialogShown());
}

// ---- PRINT_DIALOG ----

TEST_F(JobListTest, TheOpenDialogGetsItsSettings) {
    start(u"PRINT_DIALOG");
    ASSERT_EQ(backend.openDialogRequests.size(), 1u);
    const platform::OpenDialogRequest& request = backend.openDialogRequests[0];
    EXPECT_EQ(request.flags, 0x280200);
    EXPECT_EQ(request.maxFileSize, 20000);
    EXPECT_EQ(request.fileName, u"");
    EXPECT_EQ(request.initDir, dir.path16());
    EXPECT_EQ(request.filter, Filter);
    EXPECT_EQ(request.filter.size(), 179u);
}

struct PickCase {
    const char* what;
    std::u16string selection; // "D" stands for the program directory
    bool printDialog;
    Entries entries; // "D/" stands for the program directory and its separator
};

TEST_F(JobListTest, PicksBecomeFullPathsWithoutEmptyFiles) {
    const PickCase cases[] = {
        {"cancelled", u"", false, {}},
        {"one file", u"D/a.jpg", true, {u"D/a.jpg"}},
        {"three, one empty", u"D\0a.jpg\0empty.jpg\0b.gif"s, true, {u"D/a.jpg", u"D/b.gif"}},
        {"every pick empty", u"D\0empty.jpg\0empty2.jpg"s, true, {}},
        {"dialog order kept", u"D\0b.gif\0a.jpg"s, true, {u"D/b.gif", u"D/a.jpg"}},
        {"same file twice", u"D\0a.jpg\0a.jpg"s, true, {u"D/a.jpg", u"D/a.jpg"}},
        {"a typed name that does not exist", u"D\0a.jpg\0typo.jpg"s, false, {}},
        {"a single name that does not exist", u"D/typo.jpg", false, {}},
        {"longer than the dialog's buffer",
         u"D\0a.jpg\0"s + std::u16string(20000, u'x'),
         false,
         {}},
    };
    dir.write("a.jpg", "jpeg");
    dir.write("b.gif", "gif");
    dir.write("empty.jpg", "");
    dir.write("empty2.jpg", "");
    const auto expand = [&](std::u16string text) {
        const std::size_t d = text.find(u'D');
        return d == 0 ? dir.path16() + text.substr(1) : text;
    };
    for (const PickCase& c : cases) {
        SCOPED_TRACE(c.what);
        backend.printDialogRecords.clear();
        jobListsAtPrintDialog.clear();
        backend.openDialogAnswer = expand(c.selection);
        start(u"PRINT_DIALOG");
        ASSERT_EQ(printDialogShown(), c.printDialog);
        if (c.printDialog) {
            Entries expected;
            for (const std::u16string& entry : c.entries) {
                expected.push_back(expand(entry));
            }
            EXPECT_EQ(jobListsAtPrintDialog[0], expected);
        }
    }
}

TEST_F(JobListTest, AFailingOpenDialogEndsTheRun) {
    backend.openDialogFails = true;
    start(u"PRINT_DIALOG");
    EXPECT_FALSE(printDialogShown());
}

// ---- Print dispatch of the keywords ----

TEST_F(JobListTest, EachKeywordPrintsItsListWithItsRoutine) {
    dir.write("a.jpg", "jpeg");
    dir.write("b.gif", "gif");
    dir.write("list.txt", "b.gif\na.jpg\n");
    struct Row {
        std::u16string command;
        std::u16string selection;
        Entries loaded;
    } rows[] = {
        // PrintListedImages joins each entry to the program directory ...
        {u"PRINT_DIRECTORY", u"", {dir / u"a.jpg", dir / u"b.gif"}},
        {u"PRINT_LIST", u"", {dir / u"b.gif", dir / u"a.jpg"}},
        // ... and PrintChosenImages takes each entry as it is.
        {u"PRINT_DIALOG", dir.path16() + u"\0b.gif\0a.jpg"s, {dir / u"b.gif", dir / u"a.jpg"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.command));
        for (const bool confirmed : {false, true}) {
            fake::FakeBackend run;
            run.printDialogAnswer = confirmed ? 1 : 0;
            run.openDialogAnswer = row.selection;
            for (const std::u16string& path : row.loaded) {
                run.pictures.add(path, 5, 4);
            }
            platform::Runtime runtime(run, row.command, dir.path16());
            Form1 form;
            form.Load();
            EXPECT_FALSE(form.IsLoaded());
            ASSERT_EQ(run.printDialogRecords.size(), 1u);
            EXPECT_EQ(run.pictures.loaded, confirmed ? row.loaded : Entries{});
        }
    }
}

} // namespace
