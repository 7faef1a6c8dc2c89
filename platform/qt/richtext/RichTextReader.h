#pragma once

class QByteArray;
class QTextDocument;

namespace qtbackend {

// Fills document with a file's content: content that begins with "{\rtf" is read as rich text,
// anything else as plain text. Never fails: malformed rich text gives what could be read.
//
// Lengths in the formats are in 1/96 inch, as Qt's HTML import makes them. Qt's layout scales
// tab stops, line heights and table widths to its paint device, but takes paragraph margins and
// first-line indents as device pixels: call fitParagraphsToDevice before laying the document out
// on a device of another resolution.
void readRichTextContent(const QByteArray& content, QTextDocument& document);

// Sets every paragraph's margins and first-line indent in pixels of a device with these logical
// resolutions, from the lengths the file gave. Can be called again for another device.
void fitParagraphsToDevice(QTextDocument& document, int logicalDpiX, int logicalDpiY);

} // namespace qtbackend
