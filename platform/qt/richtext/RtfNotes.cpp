#include "platform/qt/richtext/RtfNotes.h"

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextLength>
#include <QUrl>

#include "platform/qt/richtext/RtfPictureObject.h"

namespace qtbackend {

RtfNotes::RtfNotes(const RtfRowDefinition& row) : builder_(document_, row) {
    document_.setUndoRedoEnabled(false);
}

QString RtfNotes::markInBody() {
    numberedMark_ = true;
    return QString::number(numbered_ + 1);
}

QString RtfNotes::markInNote() {
    if (!noteNumbered_) {
        noteNumbered_ = true;
        ++numbered_;
    }
    awaitingNumber_ = false;
    return QString::number(numbered_);
}

void RtfNotes::begin() {
    ++count_;
    noteNumbered_ = numberedMark_;
    numbered_ += noteNumbered_ ? 1 : 0;
    awaitingNumber_ = numberedMark_;
    numberedMark_ = false;
}

QString RtfNotes::numberBeforeText() {
    if (!awaitingNumber_) {
        return {};
    }
    awaitingNumber_ = false;
    return QString::number(numbered_) + QLatin1Char(' ');
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
            registerRtfPictureObject(document);
            const QUrl name(format.toImageFormat().name());
            if (!name.isEmpty()) {
                document.addResource(QTextDocument::ImageResource, name,
                                     document_.resource(QTextDocument::ImageResource, name));
            }
        }
    }
}

} // namespace qtbackend
