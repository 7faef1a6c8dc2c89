#pragma once

#include <QTextFormat>

class QTextDocument;

namespace qtbackend {

// Object types of our own in a document's text (Qt's start at UserObject).
constexpr int RotatedTextObjectType = QTextFormat::UserObject + 1;

// Has the document's pictures (RtfPictureObject) and turned text (RotatedTextObject) laid out
// and drawn from the time its layout is made. The layout is not made here: while a document is
// read, a layout would lay it out again at every change. Once per document.
void registerTextObjectHandlers(QTextDocument& document);
// The same for a copy of part of source, where source has them.
void registerTextObjectHandlers(const QTextDocument& source, QTextDocument& copy);

} // namespace qtbackend
