#pragma once

#include <QString>
#include <QStringView>

namespace qtbackend {

// Text as it may go into one paragraph of a QTextDocument: control characters other than tab
// are dropped, and the characters Qt gives structural meaning to (paragraph separator, frame
// marks, object replacement) and unpaired surrogates become U+FFFD. Line separators stay.
QString sanitizeInlineText(const QString& text);
// The same, appended to out.
void appendSanitizedText(QString& out, QStringView text);

} // namespace qtbackend
