// The least a Qt program can do before the person answers: start, and show the system Print
// dialog. Its time to the dialog is the floor under Quillet's on the picture road.

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QPrinter printer;
    QPrintDialog dialog(&printer);
    return dialog.exec() == QDialog::Accepted ? 0 : 1;
}
