#pragma once

#include <memory>

#include "platform/Backend.h"

namespace qtbackend {

class QtPrinter;

// The real backend: Qt Widgets for the window and the dialogs, Qt Print Support and CUPS for the
// default printer, Qt's image plugins for pictures, Qt's text layout under the rich text box and
// Qt WebEngine under the web browser.
class QtBackend : public platform::Backend {
public:
    QtBackend();
    ~QtBackend() override;

    std::unique_ptr<platform::WindowPeer>
    createWindow(std::function<void()> closedFromOutside) override;
    void runMessageLoop() override;
    void quitMessageLoop() override;

    std::unique_ptr<platform::TimerPeer> createTimer(std::function<void()> tick) override;

    std::int32_t showPrintDialog(platform::PRINTDLG& record, platform::WindowPeer* owner) override;
    std::u16string showOpenDialog(const platform::OpenDialogRequest& request,
                                  platform::WindowPeer* owner) override;

    platform::Printer& printer() override;
    platform::Picture loadPicture(const std::u16string& path) override;

    std::unique_ptr<platform::RichTextEngine> createRichTextEngine() override;
    std::unique_ptr<platform::WebEngine>
    createWebEngine(platform::WindowPeer& parent, const platform::ControlPlacement& placement,
                    platform::WebEngineEvents events) override;

private:
    std::unique_ptr<QtPrinter> printer_;
};

} // namespace qtbackend
