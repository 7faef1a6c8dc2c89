#include "platform/controls/WebBrowser.h"

#include "platform/Failure.h"
#include "platform/Runtime.h"

namespace platform {

WebBrowser::WebBrowser(Form& owner, ControlPlacement placement)
    : Control(owner), placement_(placement) {}

WebBrowser::~WebBrowser() = default;

WebEngine& WebBrowser::engine() {
    if (engine_ == nullptr) {
        WindowPeer* parent = owner().peer();
        if (parent == nullptr) {
            raise(ErrorNumber::ObjectRequired);
        }
        WebEngineEvents events;
        events.documentComplete = [this](const std::u16string& url) {
            locationURL_ = url;
            owner().raiseEvent([this, url] {
                if (handler_) {
                    handler_(*this, url);
                }
            });
        };
        engine_ =
            Runtime::current().backend().createWebEngine(*parent, placement_, std::move(events));
    }
    return *engine_;
}

void WebBrowser::Navigate(const std::u16string& url) {
    engine().navigate(url);
}

void WebBrowser::ExecWB(std::int32_t cmdID, std::int32_t cmdexecopt) {
    engine().execWB(cmdID, cmdexecopt);
}

} // namespace platform
