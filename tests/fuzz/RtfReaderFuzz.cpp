// The RTF reader on arbitrary bytes after "{\rtf": it must not crash, leak, hang or read out of
// bounds, and positions must count as the plain text does. The document is laid out on pages
// too, so that an input whose layout is slow (a word without end, a face for every character)
// is a finding under the one-second limit like one whose reading is. Tables are fitted to the
// page's width first, as for printing.

#include <cstdint>
#include <cstdlib>

#include <QAbstractTextDocumentLayout>
#include <QByteArray>
#include <QImage>
#include <QTextDocument>

#include "platform/qt/richtext/RichTextReader.h"
#include "platform/qt/richtext/RtfTableFit.h"
#include "tests/fuzz/QtHeadless.h"

namespace {

void read(const QByteArray& content) {
    QTextDocument document;
    qtbackend::readRichTextContent(content, document);
    if (document.toPlainText().size() != document.characterCount() - 1) {
        std::abort();
    }
    QImage device(1, 1, QImage::Format_RGB32);
    qtbackend::fitTablesToWidth(document, device, 700);
    document.setPageSize(QSizeF(700, 1000));
    if (document.documentLayout()->pageCount() < 1) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::startHeadlessQt();
    // Code page converters load once, here, and not in the first input's time limit.
    read("{\\rtf1\\ansicpg1251 warm \\'e0 up\\par}");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray content("{\\rtf1");
    content.append(reinterpret_cast<const char*>(data), qsizetype(size));
    read(content);
    return 0;
}
