// The controls the job lists are built with: the file list box, the list box, the Open dialog.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Form1.h"
#include "platform/Failure.h"
#include "platform/controls/FileListBox.h"
#include "tests/support/Failures.h"
#include "tests/support/ProgramFixture.h"
#include "tests/unit/JobListTempDirectory.h"

namespace {

using namespace std::string_literals;
using platform::ErrorNumber;

using fake::failureOf;

TEST(FilePatternTest, MatchesAnyPatternIgnoringCase) {
    const std::u16string pictures = u"*.jpg;*.gif;*.bmp;*.tif";
    struct {
        std::u16string name;
        std::u16string patterns;
        bool matches;
    } const cases[] = {
        {u"a.jpg", pictures, true},
        {u"A.JPG", pictures, true},
        {u"a.Tif", pictures, true},
        {u".jpg", pictures, true},
        {u"a.b.gif", pictures, true},
        {u"a.tiff", pictures, false},
        {u"a.jpeg", pictures, false},
        {u"jpg", pictures, false},
        {u"a.jpg.txt", pictures, false},
        {u"a.jpgx", pictures, false},
        {u"*x.jpg", pictures, true}, // a "*" in a name is an ordinary character
        {u"\u00c9T\u00c9.jpg", pictures, true},
        {u"ab.jpg", u"a?.jpg", true},
        {u"a.jpg", u"a?.jpg", false},
        {u"abc.jpg", u"a*c*.jpg", true},
        {u"a.jpg", u";;*.jpg;", true},
        {u"a.jpg", u"", false},
        {u"", u"*", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::matchesFilePattern(c.name, c.patterns), c.matches)
            << platform::toUtf8(c.name) << " against " << platform::toUtf8(c.patterns);
    }
}

class JobListControlsTest : public fake::ProgramFixture {
protected:
    void SetUp() override {
        backend.printDialogAnswer = 0;
        start(u"photo.jpg"); // a loaded Form1 to hold the controls
    }
};

TEST_F(JobListControlsTest, TheFileListBoxSortsByNameAndRereadsOnEverySet) {
    joblisttest::TempDirectory dir;
    for (const char* name : {"b.jpg", "B.jpg", "a.gif", "A10.bmp", "a2.bmp", "broken.jpg"}) {
        dir.write(name, "x");
    }
    std::filesystem::remove(dir.path() / "broken.jpg");
    std::filesystem::create_symlink(dir.path() / "missing", dir.path() / "broken.jpg");
    std::filesystem::create_symlink(dir.path() / "b.jpg", dir.path() / "link.jpg");
    platform::FileListBox& box = form->FileBox;
    box.SetPath(dir.path16());
    std::vector<std::u16string> names;
    for (std::int16_t i = 0; i < box.ListCount(); ++i) {
        names.push_back(box.List(i));
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"a.gif", u"A10.bmp", u"a2.bmp", u"B.jpg",
                                                  u"b.jpg", u"link.jpg"}));
    EXPECT_EQ(box.Path(), dir.path16());

    dir.write("c.jpg", "x");
    box.SetPath(dir.path16());
    EXPECT_EQ(box.ListCount(), 7);
    EXPECT_EQ(failureOf([&] { box.List(7); }), ErrorNumber::InvalidPropertyArrayIndex);
    EXPECT_EQ(failureOf([&] { box.List(-1); }), ErrorNumber::InvalidPropertyArrayIndex);
    EXPECT_EQ(failureOf([&] { box.SetPath(dir / u"missing"); }), ErrorNumber::PathNotFound);
}

TEST_F(JobListControlsTest, TheListBoxHoldsAt32767Entries) {
    platform::ListBox& list = form->lstPrint;
    list.Clear();
    for (int i = 0; i < 32767; ++i) {
        list.AddItem(u"p.jpg");
    }
    EXPECT_EQ(list.ListCount(), 32767);
    EXPECT_EQ(failureOf([&] { list.AddItem(u"one more"); }), ErrorNumber::Overflow);
    EXPECT_EQ(list.ListCount(), 32767);
    EXPECT_EQ(list.List(32766), u"p.jpg");
    EXPECT_EQ(failureOf([&] { list.List(32767); }), ErrorNumber::InvalidPropertyArrayIndex);
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
}

TEST_F(JobListControlsTest, TheOpenDialogFailsForASelectionLongerThanItsBuffer) {
    platform::CommonDialog& dlg = form->dlg;
    dlg.SetMaxFileSize(10);
    backend.openDialogAnswer = u"/d\0a.jpg\0b"s; // exactly 10 characters
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), backend.openDialogAnswer);
    backend.openDialogAnswer += u'c';
    EXPECT_EQ(failureOf([&] { dlg.ShowOpen(); }), ErrorNumber::BufferTooSmall);
    backend.openDialogAnswer = u"";
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), u""); // cancel empties the file name
    EXPECT_EQ(failureOf([&] { dlg.SetMaxFileSize(0); }), ErrorNumber::InvalidPropertyValue);
}

} // namespace
