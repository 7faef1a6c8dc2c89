// The smallest Qt WebEngine program that prints a page: loads the file named on the command line
// and writes printToPdf's result to the second argument. The benchmark's reference point.

#include <cstdio>

#include <QApplication>
#include <QFile>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PAGE.html OUT.pdf\n", argv[0]);
        return 2;
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QWebEngineProfile profile;
    auto* page = new QWebEnginePage(&profile);
    int status = 1;
    QObject::connect(page, &QWebEnginePage::loadFinished, [&](bool ok) {
        if (!ok) {
            QApplication::quit();
            return;
        }
        page->printToPdf([&](const QByteArray& pdf) {
            QFile out(QString::fromLocal8Bit(argv[2]));
            if (!pdf.isEmpty() && out.open(QIODevice::WriteOnly) && out.write(pdf) == pdf.size()) {
                status = 0;
            }
            QApplication::quit();
        });
    });
    page->load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    QApplication::exec();
    delete page;
    return status;
}
