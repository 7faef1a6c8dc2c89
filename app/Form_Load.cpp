#include <cstdint>

#include "app/Form1.h"
#include "platform/OnError.h"
#include "platform/Runtime.h"
#include "platform/Strings.h"

using platform::onFailureResumeNext;

void Form1::Form_Load() {
    txtCommand.SetText(platform::CommandText());
    if (txtCommand.Text().size() < 5) {
        Unload();
        return;
    }

    // From here on a failing step is ignored and the next one runs.
    onFailureResumeNext([&] {
        // The last "." searched backwards from the end, 1-based, 0 when there is none.
        const std::u16string& text = txtCommand.Text();
        std::int16_t lastDot = platform::toInt16(static_cast<std::int64_t>(text.size()));
        while (lastDot > 0 && text[lastDot - 1] != u'.') {
            --lastDot;
        }
        FileExtension = text.substr(lastDot, 12);
    });

    const std::u16string& command = txtCommand.Text();
    if (command == u"PRINT_DIRECTORY") {
        onFailureResumeNext([&] { LoadPrintDirectory(); });
        Unload();
    } else if (command == u"PRINT_DIALOG") {
        onFailureResumeNext([&] { ChoosePrintFiles(); });
        Unload();
    } else if (command == u"PRINT_LIST") {
        onFailureResumeNext([&] { LoadPrintList(); });
        Unload();
    } else if (FileExtension == u"html") {
        onFailureResumeNext([&] { OpenWebPage(); });
    } else if (FileExtension == u"htm") {
        onFailureResumeNext([&] { OpenWebPage(); });
    } else {
        onFailureResumeNext([&] { ShowPrintDialog(); });
    }
}
