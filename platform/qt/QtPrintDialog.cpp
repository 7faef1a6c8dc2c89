#include "platform/qt/QtPrintDialog.h"

#include <QPrintDialog>
#include <QPrinter>

#include "platform/qt/QtWindow.h"

namespace qtbackend {

std::int32_t showPrintDialog(const platform::PRINTDLG& record, QWidget* owner) {
    if (!hasDisplay()) {
        return 0;
    }
    QPrinter printer;
    printer.setCopyCount(record.nCopies);
    QPrintDialog dialog(&printer, owner);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    dialog.setWindowModality(Qt::ApplicationModal);
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

} // namespace qtbackend
