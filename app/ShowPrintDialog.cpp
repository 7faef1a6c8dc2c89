#include "app/Form1.h"
#include "platform/OnError.h"
#include "platform/Runtime.h"
#include "platform/Win32.h"

void Form1::ShowPrintDialog() {
    // The batch print routines unload the form themselves.
    bool leaveUnloadToPrintRoutine = false;

    platform::onFailureEndQuietly([&] {
        platform::PRINTDLG record{};
        record.lStructSize = sizeof(platform::PRINTDLG);
        record.hwndOwner = hWnd();
        record.hDevMode = 0;
        record.hDevNames = 0;
        record.hDC = hDC();
        record.Flags = 0;
        record.nFromPage = 0;
        record.nToPage = 0;
        record.nMinPage = 0;
        record.nMaxPage = 0;
        record.nCopies = 1;
        record.hInstance = platform::ModuleInstance();
        if (platform::PrintDlgA(record) == 0) {
            return;
        }

        const std::u16string& command = txtCommand.Text();
        if (command == u"PRINT_DIRECTORY") {
            PrintListedImages();
            leaveUnloadToPrintRoutine = true;
        } else if (command == u"PRINT_DIALOG") {
            PrintChosenImages();
            leaveUnloadToPrintRoutine = true;
        } else if (command == u"PRINT_LIST") {
            PrintListedImages();
            leaveUnloadToPrintRoutine = true;
        } else if (FileExtension == u"rtf") {
            PrintTextDocument();
        } else if (FileExtension == u"txt") {
            PrintTextDocument();
        } else {
            PrintImageFile();
        }
    });

    if (!leaveUnloadToPrintRoutine) {
        Unload();
    }
}
