#include "app/Form1.h"

#include "platform/Paths.h"
#include "platform/Runtime.h"
#include "printing/modPrinting.h"

// No handler: a document that cannot be loaded goes up to ShowPrintDialog.
void Form1::PrintTextDocument() {
    const std::u16string path =
        platform::ProgramDirectory() + platform::DirectorySeparator + txtCommand.Text();
    rtbPrint.SetFileName(path);
    PrintRichText(rtbPrint, 720, 720, 720, 720);
}
