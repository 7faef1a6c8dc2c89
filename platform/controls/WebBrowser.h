#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Backend.h"
#include "platform/Form.h"

namespace platform {

// ExecWB command and option, under their published values.
inline constexpr std::int32_t OLECMDID_PRINT = 6;
inline constexpr std::int32_t OLECMDEXECOPT_DODEFAULT = 0;
inline constexpr std::int32_t OLECMDEXECOPT_PROMPTUSER = 1;

// A web browser control, a child of its form's window. Its engine is loaded on the first
// navigation, so that a run that shows no page does not pay for it, and lives as long as the
// control: an unload may come while the engine is still inside one of its own calls.
class WebBrowser : public Control {
public:
    using DocumentCompleteHandler =
        std::function<void(WebBrowser& pDisp, const std::u16string& URL)>;

    WebBrowser(Form& owner, ControlPlacement placement);
    ~WebBrowser() override;

    // The address of the page loaded last; empty before the first navigation.
    const std::u16string& LocationURL() const { return locationURL_; }

    // Starts loading url (a plain file path) and returns without waiting. Fails when the page
    // cannot be read.
    void Navigate(const std::u16string& url);
    // Executes a browser command on the loaded document.
    void ExecWB(std::int32_t cmdID, std::int32_t cmdexecopt);

    void onDocumentComplete(DocumentCompleteHandler handler) { handler_ = std::move(handler); }

private:
    WebEngine& engine();

    ControlPlacement placement_;
    std::u16string locationURL_;
    DocumentCompleteHandler handler_;
    std::unique_ptr<WebEngine> engine_;
};

} // namespace platform
