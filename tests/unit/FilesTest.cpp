// Text files read line by line, and file lengths, on a real temporary directory.

#include "platform/Files.h"

#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "tests/support/Failures.h"
#include "tests/unit/JobListTempDirectory.h"

namespace {

using namespace std::string_literals;
using platform::ErrorNumber;

using fake::failureOf;

std::vector<std::u16string> readAllLines(const std::u16string& path) {
    platform::TextFile file(path);
    std::vector<std::u16string> lines;
    while (!file.atEnd()) {
        lines.push_back(file.readLine());
    }
    file.close();
    return lines;
}

struct LinesCase {
    const char* what;
    std::string content;
    std::vector<std::u16string> lines;
};

TEST(TextFileTest, SplitsLinesAtCrCrLfAndLf) {
    const LinesCase cases[] = {
        {"CR LF", "a.jpg\r\nb.gif\r\n", {u"a.jpg", u"b.gif"}},
        {"CR", "a.jpg\rb.gif\r", {u"a.jpg", u"b.gif"}},
        {"LF", "a.jpg\nb.gif\n", {u"a.jpg", u"b.gif"}},
        {"mixed", "a\r\nb\rc\nd", {u"a", u"b", u"c", u"d"}},
        {"last line without an end", "a.jpg\r\nb.gif", {u"a.jpg", u"b.gif"}},
        {"LF CR is two ends", "a\n\rb", {u"a", u"", u"b"}},
        {"empty lines kept", "\r\n\r\n\n", {u"", u"", u""}},
        {"empty file", "", {}},
        {"byte-order mark skipped",
         "\xef\xbb\xbf"
         "a.jpg\n",
         {u"a.jpg"}},
        {"byte-order mark alone", "\xef\xbb\xbf", {}},
        {"only the first mark is skipped", "\xef\xbb\xbf\xef\xbb\xbf", {u"\ufeff"}},
        {"partial mark is text", "\xef\xbb", {{char16_t{0xDCEF}, char16_t{0xDCBB}}}},
        {"UTF-8 decoded", "caf\xc3\xa9.jpg", {u"caf\u00e9.jpg"}},
        {"invalid bytes survive", "a\xff.jpg", {u"a"s + char16_t{0xDCFF} + u".jpg"}},
        {"blanks and tabs kept", "  a  \r\t\t", {u"  a  ", u"\t\t"}},
        {"NUL inside a line", std::string("a\0b", 3), {std::u16string(u"a\0b", 3)}},
    };
    joblisttest::TempDirectory dir;
    for (const LinesCase& c : cases) {
        SCOPED_TRACE(c.what);
        dir.write("list.txt", c.content);
        EXPECT_EQ(readAllLines(dir / u"list.txt"), c.lines);
    }
}

TEST(TextFileTest, OpeningFailsForWhatIsNotAReadableFile) {
    joblisttest::TempDirectory dir;
    dir.makeDirectory("folder");
    ASSERT_EQ(mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
    dir.write("file", "x");
    // Missing, a folder, a pipe (refused, not waited on), below a file.
    EXPECT_EQ(failureOf([&] { platform::TextFile file(dir / u"missing"); }),
              ErrorNumber::FileNotFound);
    EXPECT_EQ(failureOf([&] { platform::TextFile file(dir / u"folder"); }),
              ErrorNumber::PathFileAccessError);
    EXPECT_EQ(failureOf([&] { platform::TextFile file(dir / u"pipe"); }),
              ErrorNumber::PathFileAccessError);
    EXPECT_EQ(failureOf([&] { platform::TextFile file(dir / u"file/x"); }),
              ErrorNumber::FileNotFound);
    // A NUL would cut the name short into another file's name.
    EXPECT_EQ(failureOf([&] { platform::TextFile file(dir / u"file" + u'\0' + u"x"); }),
              ErrorNumber::BadFileName);
}

TEST(TextFileTest, ReadingPastTheEndFails) {
    joblisttest::TempDirectory dir;
    dir.write("one.txt", "only\n");
    platform::TextFile file(dir / u"one.txt");
    EXPECT_EQ(file.readLine(), u"only");
    EXPECT_TRUE(file.atEnd());
    EXPECT_EQ(failureOf([&] { file.readLine(); }), ErrorNumber::InputPastEndOfFile);
}

TEST(FileLenTest, AnswersTheSizeOrFailsForAMissingFile) {
    joblisttest::TempDirectory dir;
    dir.write("empty.jpg", "");
    dir.write("three.jpg", "abc");
    dir.write("caf\xc3\xa9.jpg", "12345");
    dir.makeDirectory("folder.jpg");
    EXPECT_EQ(platform::FileLen(dir / u"empty.jpg"), 0);
    EXPECT_EQ(platform::FileLen(dir / u"three.jpg"), 3);
    EXPECT_EQ(platform::FileLen(dir / u"caf\u00e9.jpg"), 5);
    EXPECT_EQ(platform::FileLen(dir / u"folder.jpg"), 0);
    EXPECT_EQ(failureOf([&] { platform::FileLen(dir / u"missing.jpg"); }),
              ErrorNumber::FileNotFound);
    EXPECT_EQ(failureOf([&] { platform::FileLen(dir / u"three.jpg" + u'\0' + u"x"); }),
              ErrorNumber::BadFileName);
}

} // namespace
