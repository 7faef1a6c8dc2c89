#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakePictures.h"
#include "tests/support/RecordingPrinter.h"
#include "tests/support/ScriptedRichTextEngine.h"
#include "tests/support/ScriptedWebEngine.h"

namespace fake {

// The test backend: dialogs answered by the script of the test, a printer that records every
// operation, pictures and documents of given sizes, a browser that loads when told to, and a
// clock the test advances. Nothing here touches a display or a print server.
class FakeBackend : public platform::Backend {
public:
    FakeBackend();
    ~FakeBackend() override;

    // ---- The window ----
    int windowsCreated = 0;
    bool windowShown = false;
    std::u16string shownCaption;
    int shownClientWidthTwips = 0;
    int shownClientHeightTwips = 0;
    std::vector<std::uint8_t> shownIcon;
    // Whether a window exists now (created and not yet destroyed).
    bool windowAlive() const { return liveWindow_ != nullptr; }
    // The user closes the window, from outside the program.
    void closeWindowFromOutside();

    // ---- The message loop ----
    // What happens while the program waits in its message loop; by default nothing, and the loop
    // returns at once.
    std::function<void()> whileInMessageLoop;
    int messageLoopRuns = 0;
    int quitRequests = 0;

    // ---- The Print dialog ----
    std::int32_t printDialogAnswer = 1;
    std::vector<platform::PRINTDLG> printDialogRecords;
    std::vector<platform::WindowPeer*> printDialogOwners;
    // Runs inside the dialog, before it answers.
    std::function<void()> whilePrintDialogShown;

    // ---- The Open dialog ----
    std::u16string openDialogAnswer;
    bool openDialogFails = false;
    std::vector<platform::OpenDialogRequest> openDialogRequests;

    // ---- Devices ----
    FakeClock clock;
    RecordingPrinter recordingPrinter;
    FakePictures pictures;
    ScriptedRichTextScript richText;
    ScriptedWebScript web;

    // platform::Backend
    std::unique_ptr<platform::WindowPeer>
    createWindow(std::function<void()> closedFromOutside) override;
    void runMessageLoop() override;
    void quitMessageLoop() override { ++quitRequests; }
    std::unique_ptr<platform::TimerPeer> createTimer(std::function<void()> tick) override;
    std::int32_t showPrintDialog(platform::PRINTDLG& record, platform::WindowPeer* owner) override;
    std::u16string showOpenDialog(const platform::OpenDialogRequest& request,
                                  platform::WindowPeer* owner) override;
    platform::Printer& printer() override { return recordingPrinter; }
    platform::Picture loadPicture(const std::u16string& path) override;
    std::unique_ptr<platform::RichTextEngine> createRichTextEngine() override;
    std::unique_ptr<platform::WebEngine>
    createWebEngine(platform::WindowPeer& parent, const platform::ControlPlacement& placement,
                    platform::WebEngineEvents events) override;

private:
    class Window;
    Window* liveWindow_ = nullptr;
};

} // namespace fake
