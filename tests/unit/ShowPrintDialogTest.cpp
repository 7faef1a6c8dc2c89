// The print confirmation: the Print dialog's record, cancel and confirm.

#include <gtest/gtest.h>

#include "platform/Runtime.h"
#include "platform/Win32.h"
#include "tests/support/ProgramFixture.h"

namespace {

class ShowPrintDialogTest : public fake::ProgramFixture {};

TEST_F(ShowPrintDialogTest, BuildsTheRecordOwnedByTheForm) {
    platform::Handle formWindow = 0;
    platform::Handle formDeviceContext = 0;
    const platform::WindowPeer* formPeer = nullptr;
    backend.whilePrintDialogShown = [&] {
        formWindow = form->hWnd();
        formDeviceContext = form->hDC();
        formPeer = form->peer();
    };
    start(u"photo.jpg");

    ASSERT_EQ(backend.printDialogRecords.size(), 1u);
    const platform::PRINTDLG& record = backend.printDialogRecords[0];
    EXPECT_EQ(record.lStructSize, 66u);
    EXPECT_EQ(record.hwndOwner, formWindow);
    EXPECT_NE(record.hwndOwner, 0);
    EXPECT_EQ(record.hDC, formDeviceContext);
    EXPECT_EQ(record.hDevMode, 0);
    EXPECT_EQ(record.hDevNames, 0);
    EXPECT_EQ(record.Flags, 0u);
    EXPECT_EQ(record.nFromPage, 0);
    EXPECT_EQ(record.nToPage, 0);
    EXPECT_EQ(record.nMinPage, 0);
    EXPECT_EQ(record.nMaxPage, 0);
    EXPECT_EQ(record.nCopies, 1);
    EXPECT_EQ(record.hInstance, platform::ModuleInstance());
    EXPECT_EQ(record.lCustData, 0);
    EXPECT_EQ(record.lpfnPrintHook, 0u);
    EXPECT_EQ(record.lpfnSetupHook, 0u);
    EXPECT_EQ(record.lpPrintTemplateName, 0u);
    EXPECT_EQ(record.lpSetupTemplateName, 0u);
    EXPECT_EQ(record.hPrintTemplate, 0);
    EXPECT_EQ(record.hSetupTemplate, 0);
    EXPECT_EQ(backend.printDialogOwners[0], formPeer);
    EXPECT_NE(formPeer, nullptr);
}

TEST_F(ShowPrintDialogTest, CancelPrintsNothingAndUnloads) {
    for (const std::u16string command : {u"photo.jpg", u"notes.txt", u"letter.rtf"}) {
        fake::ProgramRun run;
        run.backend.printDialogAnswer = 0;
        Form1& form = run.start(command);
        EXPECT_FALSE(form.IsLoaded());
        EXPECT_TRUE(run.backend.recordingPrinter.calls.empty());
        EXPECT_TRUE(run.backend.pictures.loaded.empty());
        EXPECT_TRUE(run.backend.richText.loadedPaths.empty());
    }
}

TEST_F(ShowPrintDialogTest, ConfirmedSingleFileEndsWithTheFormUnloaded) {
    backend.printDialogAnswer = 1;
    Form1& form = start(u"photo.jpg");
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(backend.windowAlive());
}

TEST_F(ShowPrintDialogTest, ARecordOfTheWrongSizeFailsWithoutADialog) {
    start(u"photo.jpg");
    platform::PRINTDLG record{};
    record.lStructSize = 68;
    EXPECT_EQ(platform::PrintDlgA(record), 0);
    EXPECT_EQ(backend.printDialogRecords.size(), 1u); // only the program's own
}

} // namespace
