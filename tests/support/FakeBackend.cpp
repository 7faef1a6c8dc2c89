#include "tests/support/FakeBackend.h"

#include "platform/Failure.h"

namespace fake {

class FakeBackend::Window : public platform::WindowPeer {
public:
    Window(FakeBackend& backend, std::function<void()> closedFromOutside)
        : backend_(backend), closedFromOutside_(std::move(closedFromOutside)) {
        backend_.liveWindow_ = this;
    }
    ~Window() override { backend_.liveWindow_ = nullptr; }

    void show(const std::u16string& caption, int clientWidthTwips, int clientHeightTwips,
              std::span<const std::uint8_t> icon) override {
        backend_.windowShown = true;
        backend_.shownIcon.assign(icon.begin(), icon.end());
        backend_.shownCaption = caption;
        backend_.shownClientWidthTwips = clientWidthTwips;
        backend_.shownClientHeightTwips = clientHeightTwips;
    }

    void close() { closedFromOutside_(); }

private:
    FakeBackend& backend_;
    std::function<void()> closedFromOutside_;
};

FakeBackend::FakeBackend() = default;

FakeBackend::~FakeBackend() = default;

std::unique_ptr<platform::WindowPeer>
FakeBackend::createWindow(std::function<void()> closedFromOutside) {
    ++windowsCreated;
    return std::make_unique<Window>(*this, std::move(closedFromOutside));
}

void FakeBackend::closeWindowFromOutside() {
    if (liveWindow_ != nullptr) {
        liveWindow_->close();
    }
}

void FakeBackend::runMessageLoop() {
    ++messageLoopRuns;
    if (whileInMessageLoop) {
        whileInMessageLoop();
    }
}

std::unique_ptr<platform::TimerPeer> FakeBackend::createTimer(std::function<void()> tick) {
    return clock.createTimer(std::move(tick));
}

std::int32_t FakeBackend::showPrintDialog(platform::PRINTDLG& record, platform::WindowPeer* owner) {
    printDialogRecords.push_back(record);
    printDialogOwners.push_back(owner);
    if (whilePrintDialogShown) {
        whilePrintDialogShown();
    }
    return printDialogAnswer;
}

std::u16string FakeBackend::showOpenDialog(const platform::OpenDialogRequest& request,
                                           platform::WindowPeer*) {
    openDialogRequests.push_back(request);
    if (openDialogFails) {
        platform::raise(platform::ErrorNumber::BufferTooSmall);
    }
    return openDialogAnswer;
}

platform::Picture FakeBackend::loadPicture(const std::u16string& path) {
    return pictures.load(path);
}

std::unique_ptr<platform::RichTextEngine> FakeBackend::createRichTextEngine() {
    return std::make_unique<ScriptedRichTextEngine>(richText);
}

std::unique_ptr<platform::WebEngine>
FakeBackend::createWebEngine(platform::WindowPeer&, const platform::ControlPlacement& placement,
                             platform::WebEngineEvents events) {
    return std::make_unique<ScriptedWebEngine>(web, placement, std::move(events));
}

} // namespace fake
