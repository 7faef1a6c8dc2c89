#include "platform/qt/QtBackend.h"

#include <QCoreApplication>

#include "platform/qt/QtOpenDialog.h"
#include "platform/qt/QtPictureLoader.h"
#include "platform/qt/QtPrintDialog.h"
#include "platform/qt/QtPrinter.h"
#include "platform/qt/QtTimer.h"
#include "platform/qt/QtWindow.h"
#include "platform/qt/richtext/QtRichTextEngine.h"
#include "platform/qt/webengine/WebEngineLoader.h"

namespace qtbackend {

QtBackend::QtBackend() = default;

QtBackend::~QtBackend() = default;

std::unique_ptr<platform::WindowPeer>
QtBackend::createWindow(std::function<void()> closedFromOutside) {
    return std::make_unique<QtWindow>(std::move(closedFromOutside));
}

void QtBackend::runMessageLoop() {
    QCoreApplication::exec();
}

void QtBackend::quitMessageLoop() {
    QCoreApplication::quit();
}

std::int32_t QtBackend::showPrintDialog(platform::PRINTDLG& record, platform::WindowPeer* owner) {
    return qtbackend::showPrintDialog(record, widgetOf(owner));
}

std::u16string QtBackend::showOpenDialog(const platform::OpenDialogRequest& request,
                                         platform::WindowPeer* owner) {
    return qtbackend::showOpenDialog(request, widgetOf(owner));
}

std::unique_ptr<platform::TimerPeer> QtBackend::createTimer(std::function<void()> tick) {
    return std::make_unique<QtTimer>(std::move(tick));
}

platform::Printer& QtBackend::printer() {
    if (printer_ == nullptr) {
        printer_ = std::make_unique<QtPrinter>();
    }
    return *printer_;
}

platform::Picture QtBackend::loadPicture(const std::u16string& path) {
    return loadPictureFile(path);
}

std::unique_ptr<platform::RichTextEngine> QtBackend::createRichTextEngine() {
    return std::make_unique<QtRichTextEngine>();
}

std::unique_ptr<platform::WebEngine>
QtBackend::createWebEngine(platform::WindowPeer& parent,
                           const platform::ControlPlacement& placement,
                           platform::WebEngineEvents events) {
    return loadWebEngine(widgetOf(&parent), placement, std::move(events));
}

} // namespace qtbackend
