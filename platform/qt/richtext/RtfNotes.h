#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QString>
#include <QTextDocument>

#include "platform/qt/richtext/RtfDocumentBuilder.h"
#include "platform/qt/richtext/RtfNumberFormat.h"

namespace qtbackend {

// Footnotes and endnotes. A rich text control shows no notes at the foot of its pages, and the
// page loop is the program's: the notes' text is gathered apart while the body is read, and
// printed after the body under a short rule, in the order read, each beginning with its number
// (or its own mark). Footnotes and endnotes are numbered apart, each in its own format.
class RtfNotes {
public:
    enum class Kind { Footnote, Endnote };

    explicit RtfNotes(const RtfRowDefinition& row);

    // Where the text of the note being read goes.
    RtfDocumentBuilder& builder() { return builder_; }

    // How notes of a kind are numbered (\ftnnar, \aftnnrlc, ...) and from where (\ftnstart).
    // Footnotes and endnotes count apart.
    void setNumberFormat(Kind kind, RtfNumberFormat format);
    void setFirstNumber(Kind kind, std::int32_t first);

    // \chftn in the body: the number of the note it marks, the next one of its kind.
    QString markInBody(Kind kind);
    // \chftn in a note: the note's own number.
    QString markInNote();
    // A note's group begins.
    void begin();
    // \ftnalt: the note is an endnote, unless it was numbered already.
    void setEndnote();
    // Text of the note is about to be added: its number comes first when the body marked it
    // with a number and the note has not shown it yet (empty otherwise).
    QString numberBeforeText();
    // A note's group ends: closes its last paragraph.
    void end(const QTextBlockFormat& format, const QTextCharFormat& markFormat);

    // Appends the notes to document, after its body.
    void appendTo(QTextDocument& document);

private:
    struct Numbering {
        RtfNumberFormat format = RtfNumberFormat::Decimal;
        std::int32_t first = 1;
        std::int32_t count = 0; // notes numbered so far
    };
    Numbering& numbering(Kind kind) { return numberings_[static_cast<std::size_t>(kind)]; }
    // The number the next note of kind gets.
    QString nextNumber(Kind kind) const;
    // The next note of kind is numbered: its number.
    QString numberNext(Kind kind);

    QTextDocument document_;
    RtfDocumentBuilder builder_;
    std::array<Numbering, 2> numberings_;
    int count_ = 0;                  // notes read
    std::optional<Kind> markedKind_; // the body marked the next note with \chftn
    Kind noteKind_ = Kind::Footnote; // of the note being read
    QString noteNumber_;             // its number, when it is numbered automatically
    bool awaitingNumber_ = false;    // and has not shown its number yet
};

} // namespace qtbackend
