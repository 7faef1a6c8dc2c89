// Quillet's process entry point: reads the command line, starts Qt and runs the program.

#include <climits>
#include <cstdlib>
#include <malloc.h>
#include <string>
#include <unistd.h>

#include <QApplication>
#include <QByteArray>

#include "platform/Runtime.h"
#include "platform/Strings.h"
#include "platform/qt/QtBackend.h"

namespace {

// The arguments after the program's name, joined with single spaces and otherwise unchanged.
std::u16string commandTextFrom(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            text += ' ';
        }
        text += argv[i];
    }
    return platform::fromUtf8(text);
}

// The directory of the running executable, without a trailing separator.
std::u16string programDirectory() {
    std::string path(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return u".";
    }
    return platform::fromUtf8(slash == 0 ? std::string("/") : path.substr(0, slash));
}

// Qt's PDF engine sets up a zlib stream and buffers for every page it writes, and frees them when
// the page ends. glibc would give such memory back to the system and fault it in again on the
// next page: a third of the time of a document of thousands of short pages, a seventh of a long
// text. Blocks up to 32 MiB come from the heap instead, and up to 64 MiB of freed memory stays for
// reuse, which adds some 20 MiB to the peak of a long document.
void keepFreedMemoryForReuse() {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

// The program reports nothing. QUILLET_DEBUG=1 lets Qt's messages through for a developer.
void quietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// Without a display the program still runs to its end: offscreen, where no dialog can be
// answered, so nothing is printed.
void chooseWindowSystem() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        return;
    }
    QByteArray platforms;
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) {
        platforms += "wayland;";
    }
    if (qEnvironmentVariableIsSet("DISPLAY")) {
        platforms += "xcb;";
    }
    qputenv("QT_QPA_PLATFORM", platforms + "offscreen");
}

} // namespace

int main(int argc, char** argv) {
    keepFreedMemoryForReuse();
    const std::u16string commandText = commandTextFrom(argc, argv);
    if (qgetenv("QUILLET_DEBUG") != "1") {
        qInstallMessageHandler(quietMessages);
    }
    chooseWindowSystem();

    // Qt reads options of its own from its arguments; the command text is the program's alone.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    application.setQuitOnLastWindowClosed(false);

    qtbackend::QtBackend backend;
    platform::Runtime runtime(backend, commandText, programDirectory());
    return platform::runProgram();
}
