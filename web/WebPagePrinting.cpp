#include "app/Form1.h"
#include "platform/OnError.h"
#include "platform/Paths.h"
#include "platform/Runtime.h"

void Form1::OpenWebPage() {
    platform::onFailureEndQuietly([&] {
        txtCommand.SetText(platform::joinPath(platform::ProgramDirectory(), txtCommand.Text()));
        wbr.Navigate(txtCommand.Text());
    });
}

// Runs for every finished document, the page and each of its frames alike; the arguments are not
// looked at.
void Form1::wbr_DocumentComplete(platform::WebBrowser&, const std::u16string&) {
    platform::onFailureResumeNext(
        [&] { wbr.ExecWB(platform::OLECMDID_PRINT, platform::OLECMDEXECOPT_PROMPTUSER); });
    tmr.SetEnabled(true);
}

// The timer goes away with the window, so this runs once.
void Form1::tmr_Timer() {
    Unload();
}
