#pragma once

class QByteArray;
class QTextDocument;

namespace qtbackend {

// Fills document with a file's content: content that begins with "{\rtf" is read as rich text,
// anything else as plain text. Never fails: malformed rich text gives what could be read.
void readRichTextContent(const QByteArray& content, QTextDocument& document);

} // namespace qtbackend
