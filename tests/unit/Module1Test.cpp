// Unpacking the Open dialog's multi-select result.

#include "joblist/Module1.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "tests/support/Failures.h"

namespace {

using namespace std::string_literals;
using platform::ErrorNumber;

using fake::failureOf;

struct SelectionCase {
    const char* what;
    std::u16string selection;
    std::int16_t count;
    // The answers for k = 1, 2, ...: the files, then the directory alone for k = n + 1 when the
    // selection has a NUL.
    std::vector<std::u16string> paths;
};

TEST(Module1Test, CountsAndUnpacksEveryShape) {
    const SelectionCase cases[] = {
        {"one file", u"/pics/a.jpg", 1, {u"/pics/a.jpg", u"/pics/a.jpg", u"/pics/a.jpg"}},
        {"two files", u"/pics\0a.jpg\0b.gif"s, 2, {u"/pics/a.jpg", u"/pics/b.gif", u"/pics/"}},
        {"root directory keeps its one separator",
         u"/\0a.jpg\0b.gif"s,
         2,
         {u"/a.jpg", u"/b.gif", u"/"}},
        {"empty string", u"", 1, {u"", u""}},
        {"two NULs in a row", u"/pics\0\0b.gif"s, 2, {u"/pics/", u"/pics/b.gif", u"/pics/"}},
        {"begins with NUL", u"\0a.jpg"s, 1, {u"/a.jpg", u"/"}},
        {"directory alone with one NUL", u"/pics\0"s, 1, {u"/pics/", u"/pics/"}},
        {"long names and spaces",
         u"/my pics\0a long name.jpeg\0b"s,
         2,
         {u"/my pics/a long name.jpeg", u"/my pics/b", u"/my pics/"}},
    };
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CountSelectedFiles(c.selection), c.count);
        for (std::size_t k = 1; k <= c.paths.size(); ++k) {
            EXPECT_EQ(GetSelectedFile(c.selection, static_cast<std::int16_t>(k)), c.paths[k - 1])
                << "k = " << k;
        }
    }
}

TEST(Module1Test, ASingleFileIsAnsweredUnchangedForAnyIndex) {
    for (const std::int16_t k : {-32768, -1, 0, 1, 2, 32767}) {
        EXPECT_EQ(GetSelectedFile(u"/pics/a.jpg", k), u"/pics/a.jpg");
    }
}

TEST(Module1Test, AnIndexOutsideOneToNPlusOneIsAnInvalidArgument) {
    const std::u16string selection = u"/pics\0a.jpg\0b.gif"s;
    for (const std::int16_t k : {-32768, -1, 0, 4, 5, 32767}) {
        EXPECT_EQ(failureOf([&] { GetSelectedFile(selection, k); }),
                  ErrorNumber::InvalidProcedureCall)
            << "k = " << k;
    }
}

TEST(Module1Test, StringsLongerThan32767CharactersOverflow) {
    // Counting scans every position: 32767 characters pass, one more overflows.
    const std::u16string allNuls(32767, u'\0');
    EXPECT_EQ(CountSelectedFiles(allNuls), 32767);
    EXPECT_EQ(failureOf([&] { CountSelectedFiles(allNuls + u'x'); }), ErrorNumber::Overflow);
    const std::u16string longPath = u"/" + std::u16string(32767, u'x');
    EXPECT_EQ(failureOf([&] { CountSelectedFiles(longPath); }), ErrorNumber::Overflow);
    // Without a NUL nothing is scanned.
    EXPECT_EQ(GetSelectedFile(longPath, 1), longPath);

    // With its appended NUL the working copy may reach 32767 characters, not more.
    const std::u16string name(32766 - 6, u'n');
    const std::u16string fits = u"/pics\0"s + name; // 32766 characters
    ASSERT_EQ(fits.size(), 32766u);
    EXPECT_EQ(GetSelectedFile(fits, 1), u"/pics/" + name);
    EXPECT_EQ(GetSelectedFile(fits, 2), u"/pics/"); // start lies one past position 32767
    EXPECT_EQ(failureOf([&] { GetSelectedFile(fits + u'n', 1); }), ErrorNumber::Overflow);
}

TEST(Module1Test, ThePathsCoverTheSelectionInOrder) {
    // Each name comes back once, in order, whatever characters it holds.
    std::u16string selection = u"/d";
    std::vector<std::u16string> names;
    for (int i = 0; i < 50; ++i) {
        names.push_back(u"n\u00e9" + std::u16string(static_cast<std::size_t>(i), u'\\') + u".jpg");
        selection += u'\0' + names.back();
    }
    ASSERT_EQ(CountSelectedFiles(selection), 50);
    for (int k = 1; k <= 50; ++k) {
        EXPECT_EQ(GetSelectedFile(selection, static_cast<std::int16_t>(k)),
                  u"/d/" + names[static_cast<std::size_t>(k - 1)]);
    }
}

} // namespace
