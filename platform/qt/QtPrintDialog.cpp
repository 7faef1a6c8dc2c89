#include <QPrintDialog>
#include <QPrinter>

#include "platform/qt/QtBackend.h"
#include "platform/qt/QtWindow.h"

namespace qtbackend {

// The system's Print dialog, listing the print server's printers. Quillet asks it only for a
// confirmation: what the user chooses in it is not applied.
std::int32_t QtBackend::showPrintDialog(platform::PRINTDLG& record, platform::WindowPeer* owner) {
    if (!hasDisplay()) {
        return 0;
    }
    QPrinter printer;
    printer.setCopyCount(record.nCopies);
    QPrintDialog dialog(&printer, widgetOf(owner));
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    dialog.setWindowModality(Qt::ApplicationModal);
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

} // namespace qtbackend
