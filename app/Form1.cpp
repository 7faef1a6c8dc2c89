#include "app/Form1.h"

#include <memory>

#include "app/Form1Icon.h"
#include "platform/Runtime.h"

namespace {

// Client area 1950 x 30 twips: on screen the window is little more than its title bar. Every
// control lies outside it.
constexpr int ClientWidth = 1950;
constexpr int ClientHeight = 30;

} // namespace

Form1::Form1()
    : platform::Form(u"Quillet", ClientWidth, ClientHeight, form1Icon()),
      wbr(*this, {.left = 120, .top = 2040, .width = 5655, .height = 2535}), rtbPrint(*this),
      dlg(*this), FileBox(*this, u"*.jpg;*.gif;*.bmp;*.tif"), txtCommand(*this), lstPrint(*this),
      pic(*this, 2535, 1095), tmr(*this) {
    tmr.SetEnabled(false);
    tmr.SetInterval(4000);

    onLoad([this] { Form_Load(); });
    wbr.onDocumentComplete([this](platform::WebBrowser& pDisp, const std::u16string& URL) {
        wbr_DocumentComplete(pDisp, URL);
    });
    tmr.onTimer([this] { tmr_Timer(); });
}

std::unique_ptr<platform::Form> platform::createStartupForm() {
    return std::make_unique<Form1>();
}
