// The plain text decoder and reader on arbitrary bytes: no crash, leak, hang or out-of-bounds
// read; the decoded text never grows beyond one character per byte; positions count as the
// plain text does.

#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QTextDocument>

#include "platform/qt/richtext/PlainTextReader.h"
#include "tests/fuzz/QtHeadless.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::startHeadlessQt();
    QTextDocument document;
    qtbackend::readPlainText("warm up", document);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (qtbackend::decodePlainText(bytes).size() > qsizetype(size)) {
        std::abort();
    }
    QTextDocument document;
    qtbackend::readPlainText(bytes, document);
    if (document.toPlainText().size() != document.characterCount() - 1) {
        std::abort();
    }
    return 0;
}
