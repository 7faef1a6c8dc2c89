#include "platform/qt/richtext/RtfNotes.h"

#include <algorithm>

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextLength>
#include <QUrl>

#include "platform/qt/richtext/TextObjectHandlers.h"

namespace qtbackend {

namespace {

// Past any number a document could reach by its notes alone.
constexpr std::int32_t MaxFirstNumber = 32767;

} // namespace

RtfNotes::RtfNotes(const RtfRowDefinition& row) : builder_(document_, row) {
    document_.setUndoRedoEnabled(false);
}

void RtfNotes::setNumberFormat(Kind kind, RtfNumberFormat format) {
    numbering(kind).format = format;
}

void RtfNotes::setFirstNumber(Kind kind, std::int32_t first) {
    numbering(kind).first = std::clamp(first, 0, MaxFirstNumber);
}

QString RtfNotes::nextNumber(Kind kind) const {
    const Numbering& counted = numberings_[static_cast<std::size_t>(kind)];
    return formatListNumber(std::int64_t(counted.first) + counted.count, counted.format);
}

QString RtfNotes::numberNext(Kind kind) {
    QString number = nextNumber(kind);
    ++numbering(kind).count;
    return number;
}

QString RtfNotes::markInBody(Kind kind) {
    markedKind_ = kind;
    return nextNumber(kind);
}

QString RtfNotes::markInNote() {
    if (noteNumber_.isEmpty()) {
        noteNumber_ = numberNext(noteKind_);
    }
    awaitingNumber_ = false;
    return noteNumber_;
}

void RtfNotes::begin() {
    ++count_;
    noteKind_ = markedKind_.value_or(Kind::Footnote);
    noteNumber_ = markedKind_ ? numberNext(noteKind_) : QString();
    awaitingNumber_ = markedKind_.has_value();
    markedKind_.reset();
}

void RtfNotes::setEndnote() {
    if (noteNumber_.isEmpty()) {
        noteKind_ = Kind::Endnote;
    }
}

QString RtfNotes::numberBeforeText() {
    if (!awaitingNumber_) {
        return {};
    }
    awaitingNumber_ = false;
    return noteNumber_ + QLatin1Char(' ');
}

void RtfNotes::end(const QTextBlockFormat& format, const QTextCharFormat& markFormat) {
    builder_.closeParagraph(format, markFormat, false);
}

void RtfNotes::appendTo(QTextDocument& document) {
    if (count_ == 0 || document_.isEmpty()) {
        return;
    }
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    // The short rule that sets the notes apart, a third of the text area wide.
    QTextBlockFormat rule;
    rule.setTopMargin(12);
    rule.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                     QTextLength(QTextLength::PercentageLength, 33));
    if (document.isEmpty()) {
        cursor.setBlockFormat(rule);
    } else {
        cursor.insertBlock(rule);
    }
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertFragment(QTextDocumentFragment(&document_));
    // The notes' pictures are resources of the notes' own document.
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat()) {
                continue;
            }
            registerTextObjectHandlers(document);
            const QUrl name(format.toImageFormat().name());
            if (!name.isEmpty()) {
                document.addResource(QTextDocument::ImageResource, name,
                                     document_.resource(QTextDocument::ImageResource, name));
            }
        }
    }
}

} // namespace qtbackend
