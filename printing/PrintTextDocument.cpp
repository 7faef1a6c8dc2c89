#include "app/Form1.h"
#include "platform/Paths.h"
#include "platform/Runtime.h"
#include "printing/modPrinting.h"

// No handler: a document that cannot be loaded goes up to ShowPrintDialog.
void Form1::PrintTextDocument() {
    rtbPrint.SetFileName(platform::joinPath(platform::ProgramDirectory(), txtCommand.Text()));
    PrintRichText(rtbPrint, 720, 720, 720, 720);
}
