#pragma once

#include <QString>
#include <QTextDocument>

#include "platform/qt/richtext/RtfDocumentBuilder.h"

namespace qtbackend {

// Footnotes and endnotes. A rich text control shows no notes at the foot of its pages, and the
// page loop is the program's: the notes' text is gathered apart while the body is read, and
// printed after the body under a short rule, each beginning with its number (or its own mark).
class RtfNotes {
public:
    explicit RtfNotes(const RtfRowDefinition& row);

    // Where the text of the note being read goes.
    RtfDocumentBuilder& builder() { return builder_; }

    // \chftn in the body: the number of the note it marks, the next one.
    QString markInBody();
    // \chftn in a note: the note's own number.
    QString markInNote();
    // A note's group begins.
    void begin();
    // Text of the note is about to be added: its number comes first when the body marked it
    // with a number and the note has not shown it yet (empty otherwise).
    QString numberBeforeText();
    // A note's group ends: closes its last paragraph.
    void end(const QTextBlockFormat& format, const QTextCharFormat& markFormat);

    // Appends the notes to document, after its body.
    void appendTo(QTextDocument& document);

private:
    QTextDocument document_;
    RtfDocumentBuilder builder_;
    int count_ = 0;    // notes read
    int numbered_ = 0; // notes numbered automatically; those with a mark of their own are not
    bool numberedMark_ = false;   // the body marked the next note with \chftn
    bool noteNumbered_ = false;   // the note being read is numbered automatically
    bool awaitingNumber_ = false; // and has not shown its number yet
};

} // namespace qtbackend
