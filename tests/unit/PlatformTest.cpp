// The runtime under the program: strings, checked conversions, unloading, the window's lifetime.

#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "platform/Strings.h"
#include "tests/support/Failures.h"
#include "tests/support/ProgramFixture.h"

namespace {

using platform::ErrorNumber;

using fake::failureOf;

TEST(StringsTest, Utf8RoundTripKeepsEveryByte) {
    const std::string samples[] = {
        "plain.jpg",
        "caf\xc3\xa9.jpg",
        "\xf0\x9f\x93\xb7 photo.jpg", // valid, one non-BMP
        "bad\xff\xfe.jpg",
        "\xc3",
        "\xed\xa0\x80",
        "\xe2\x82",
        "\xc0\xaf", // invalid sequences
    };
    for (const std::string& bytes : samples) {
        EXPECT_EQ(platform::toUtf8(platform::fromUtf8(bytes)), bytes);
    }
    EXPECT_EQ(platform::fromUtf8("caf\xc3\xa9"), u"caf\u00e9");
    EXPECT_EQ(platform::fromUtf8("\xf0\x9f\x93\xb7").size(), 2u); // a surrogate pair
}

TEST(StringsTest, SixteenBitConversionFailsWithOverflowOutsideItsRange) {
    EXPECT_EQ(platform::toInt16(32767), 32767);
    EXPECT_EQ(platform::toInt16(-32768), -32768);
    EXPECT_EQ(failureOf([] { platform::toInt16(32768); }), ErrorNumber::Overflow);
    EXPECT_EQ(failureOf([] { platform::toInt16(-32769); }), ErrorNumber::Overflow);
}

TEST(StringsTest, RoundingTo32BitsTakesHalvesToEven) {
    EXPECT_EQ(platform::roundToInt32(358.5), 358);
    EXPECT_EQ(platform::roundToInt32(359.5), 360);
    EXPECT_EQ(platform::roundToInt32(-0.5), 0);
    EXPECT_EQ(platform::roundToInt32(-1.5), -2);
    EXPECT_EQ(platform::roundToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(failureOf([] { platform::roundToInt32(2147483648.0); }), ErrorNumber::Overflow);
    EXPECT_EQ(failureOf([] { platform::roundToInt32(std::numeric_limits<double>::quiet_NaN()); }),
              ErrorNumber::Overflow);
}

class RuntimeTest : public fake::ProgramFixture {};

TEST_F(RuntimeTest, UnloadingTwiceDoesNothingMore) {
    Form1& form = start(u"page.htm");
    ASSERT_TRUE(form.IsLoaded());
    form.Unload();
    form.Unload();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(backend.windowAlive());
    EXPECT_EQ(backend.quitRequests, 1);
}

TEST_F(RuntimeTest, ControlsStartInTheirInitialStates) {
    backend.printDialogAnswer = 0;
    Form1& form = start(u"page.htm");
    EXPECT_EQ(form.FileBox.Pattern(), u"*.jpg;*.gif;*.bmp;*.tif");
    EXPECT_EQ(form.lstPrint.ListCount(), 0);
    EXPECT_FALSE(form.tmr.Enabled());
    EXPECT_EQ(form.tmr.Interval(), 4000);
    EXPECT_TRUE(form.wbr.LocationURL().empty());
    EXPECT_TRUE(form.dlg.FileName().empty());
    EXPECT_TRUE(form.dlg.Filter().empty());
    EXPECT_TRUE(form.pic.Picture().isEmpty());
}

class RunProgramTest : public fake::ProgramFixture {};

TEST_F(RunProgramTest, TheWindowStaysHiddenOnEveryRoadButTheWebPage) {
    for (const std::u16string command : {u"", u"a.jp", u"PRINT_DIRECTORY", u"PRINT_DIALOG",
                                         u"PRINT_LIST", u"photo.jpg", u"notes.txt", u"page.HTM"}) {
        fake::ProgramRun run;
        EXPECT_EQ(run.runProgram(command), 0);
        EXPECT_FALSE(run.backend.windowShown);
        EXPECT_EQ(run.backend.messageLoopRuns, 0);
        EXPECT_FALSE(run.backend.windowAlive());
    }
}

TEST_F(RunProgramTest, AWebPageShowsTheWindowUntilItIsClosedFromOutside) {
    backend.whileInMessageLoop = [&] {
        EXPECT_TRUE(backend.windowShown);
        backend.closeWindowFromOutside();
    };
    EXPECT_EQ(runProgram(u"page.htm"), 0);
    EXPECT_EQ(backend.messageLoopRuns, 1);
    EXPECT_EQ(backend.shownCaption, u"Quillet");
    EXPECT_EQ(backend.shownClientWidthTwips, 1950);
    EXPECT_EQ(backend.shownClientHeightTwips, 30);
    EXPECT_FALSE(backend.windowAlive());
}

} // namespace
