#pragma once

#include <QByteArrayView>
#include <QFont>
#include <QString>

class QTextDocument;

namespace qtbackend {

// A text file's characters: UTF-8 with or without a byte-order mark, UTF-16 LE or BE with one,
// and Windows-1252 when the bytes are not valid UTF-8. Never fails: bytes that do not decode
// become U+FFFD.
QString decodePlainText(QByteArrayView bytes);

// Fills the document with a text file, one paragraph per line: CR, LF and CR LF each end a line,
// and a form feed starts a new page. Tabs are expanded to spaces up to every eighth column. A
// line holding a word too long for word wrapping (see LongWordBreaker) wraps at any character.
void readPlainText(QByteArrayView bytes, QTextDocument& document);

// DejaVu Sans Mono at 10 points: fixed pitch keeps the columns of tables and code, and 10 points
// gives the usual 80 columns and 60-odd lines on a page with half-inch margins.
QFont plainTextFont();

} // namespace qtbackend
