#pragma once

class QByteArray;
class QTextDocument;

namespace qtbackend {

// Fills document with a file's content: content that begins with "{\rtf" is read as rich text,
// anything else as plain text. Never fails: malformed rich text gives what could be read.
//
// Lengths in the formats are in 1/96 inch, as Qt's HTML import makes them. Qt's layout scales
// tab stops, line heights, table widths and paragraph spacing above and below to its paint
// device, but takes paragraph margins on the sides and first-line indents as device pixels: call
// fitParagraphsToDevice before laying the document out on a device of another resolution.
void readRichTextContent(const QByteArray& content, QTextDocument& document);

// Sets every paragraph's side margins and first-line indent in pixels of a device with this
// horizontal logical resolution, from the lengths the file gave. Can be called again for another
// device.
void fitParagraphsToDevice(QTextDocument& document, int logicalDpiX);

} // namespace qtbackend
