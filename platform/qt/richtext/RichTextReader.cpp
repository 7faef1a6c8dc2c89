#include "platform/qt/richtext/RichTextReader.h"

#include <QByteArray>
#include <QString>
#include <QTextDocument>

namespace qtbackend {

// Placeholder until the RTF reader and the plain text decoder arrive: UTF-8 plain text only.
void readRichTextContent(const QByteArray& content, QTextDocument& document) {
    document.setPlainText(QString::fromUtf8(content));
}

} // namespace qtbackend
