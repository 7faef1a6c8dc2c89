#include "platform/qt/richtext/RtfDocumentBuilder.h"

#include <vector>

#include <QImage>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QUrl>

#include "platform/qt/richtext/RtfTableWriter.h"
#include "platform/qt/richtext/TextObjectHandlers.h"
#include "platform/qt/richtext/TextShaping.h"

namespace qtbackend {

RtfDocumentBuilder::RtfDocumentBuilder(QTextDocument& document, const RtfRowDefinition& row)
    : document_(document), cursor_(&document), row_(row) {
    cursor_.movePosition(QTextCursor::End);
    setDefaultTabStop(48); // half an inch, as in word processors
}

void RtfDocumentBuilder::setDefaultTabStop(double distance) {
    QTextOption option = document_.defaultTextOption();
    option.setTabStopDistance(distance);
    document_.setDefaultTextOption(option);
}

void RtfDocumentBuilder::insertText(const QString& text, const QTextCharFormat& format,
                                    bool inTable) {
    if (text.isEmpty()) {
        return;
    }
    QTextCharFormat printed = format;
    if (richtext::needsShaping(text)) {
        printed.setFontStyleStrategy(QFont::PreferDefault);
    }
    if (inTable) {
        rows_.insertText(text, printed);
        return;
    }
    writeRows(true);
    openBlock();
    cursor_.insertText(text, printed);
    hasContent_ = true;
}

void RtfDocumentBuilder::insertImage(const QImage& image, QSizeF size,
                                     const QTextCharFormat& format, bool inTable) {
    if (images_++ == 0) {
        registerTextObjectHandlers(document_);
    }
    QTextImageFormat picture;
    picture.merge(format);
    picture.setWidth(size.width());
    picture.setHeight(size.height());
    if (!image.isNull()) {
        // Pictures that share an image share its resource.
        const QString name = QStringLiteral("rtfpicture:%1").arg(image.cacheKey());
        document_.addResource(QTextDocument::ImageResource, QUrl(name), image);
        picture.setName(name);
    }
    // A picture is an object replacement character in its format, as Qt inserts it, so that a
    // table cell can hold it among its text.
    insertText(QString(QChar::ObjectReplacementCharacter), picture, inTable);
}

void RtfDocumentBuilder::endParagraph(const QTextBlockFormat& format,
                                      const QTextCharFormat& markFormat, bool inTable) {
    if (inTable) {
        rows_.endParagraph(format, markFormat);
        return;
    }
    writeRows(true);
    openBlock();
    applyBlockFormat(format, markFormat);
    paragraphEnded_ = true;
}

void RtfDocumentBuilder::closeParagraph(const QTextBlockFormat& format,
                                        const QTextCharFormat& markFormat, bool inTable) {
    if (inTable) {
        rows_.closeParagraph(format, markFormat);
        return;
    }
    writeRows(true);
    if (hasContent_ && !paragraphEnded_) {
        endParagraph(format, markFormat, false);
    }
}

void RtfDocumentBuilder::breakPage(const QTextBlockFormat& format,
                                   const QTextCharFormat& markFormat, bool inTable) {
    if (inTable) {
        rows_.closeParagraph(format, markFormat);
        rows_.breakPage();
        return;
    }
    closeParagraph(format, markFormat, false);
    if (paragraphEnded_) {
        pageBreakNext_ = true;
    } else if (!firstBlock_) {
        // An empty paragraph not yet ended: it is the one that starts the new page.
        pageBreakHere_ = true;
        QTextBlockFormat pageBreak;
        pageBreak.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor_.mergeBlockFormat(pageBreak);
    }
}

void RtfDocumentBuilder::endCell(const QTextBlockFormat& format,
                                 const QTextCharFormat& markFormat) {
    rows_.endCell(format, markFormat);
}

void RtfDocumentBuilder::endRow() {
    rows_.endRow(row_);
    if (rows_.cellCount() >= CellsPerTable) {
        writeRows(false);
    }
}

void RtfDocumentBuilder::finish(const QTextBlockFormat& format, const QTextCharFormat& markFormat,
                                bool inTable) {
    closeParagraph(format, markFormat, inTable);
    writeRows(true);
}

void RtfDocumentBuilder::openBlock() {
    if (paragraphEnded_) {
        cursor_.insertBlock();
        startParagraph();
        firstBlock_ = false;
    }
    if (pageBreakNext_) {
        pageBreakNext_ = false;
        if (!firstBlock_) {
            pageBreakHere_ = true;
            QTextBlockFormat pageBreak;
            pageBreak.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor_.mergeBlockFormat(pageBreak);
        }
    }
}

void RtfDocumentBuilder::applyBlockFormat(QTextBlockFormat format,
                                          const QTextCharFormat& markFormat) {
    if (pageBreakHere_) {
        format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
    }
    cursor_.setBlockFormat(format);
    cursor_.setBlockCharFormat(markFormat);
}

void RtfDocumentBuilder::startParagraph() {
    paragraphEnded_ = false;
    hasContent_ = false;
    pageBreakHere_ = false;
}

void RtfDocumentBuilder::writeRows(bool all) {
    const bool goesOn = tableGoesOn_;
    tableGoesOn_ = false;
    if (rows_.empty()) {
        return;
    }
    bool pageBreakAfter = false;
    const std::vector<RtfTableRow> rows =
        all ? rows_.takeAll(row_, pageBreakAfter) : rows_.takeEndedRows();
    // A row that starts a new page starts a table of its own.
    const std::span<const RtfTableRow> gathered(rows);
    std::size_t start = 0;
    for (std::size_t row = 1; row <= rows.size(); ++row) {
        if (row == rows.size() || rows[row].pageBreakBefore) {
            writeBatch(gathered.subspan(start, row - start), rows[start].pageBreakBefore,
                       goesOn || start > 0);
            start = row;
        }
    }
    pageBreakNext_ = pageBreakNext_ || pageBreakAfter;
    tableGoesOn_ = !all;
}

void RtfDocumentBuilder::writeBatch(std::span<const RtfTableRow> rows, bool pageBreakBefore,
                                    bool continuesTable) {
    if (rows.empty()) {
        return;
    }
    // A break before the document's first paragraph would only leave a blank page.
    const bool pageBreak =
        pageBreakBefore || pageBreakHere_ || (pageBreakNext_ && !(firstBlock_ && !hasContent_));
    pageBreakNext_ = false;
    std::size_t cells = 0;
    for (const RtfTableRow& row : rows) {
        cells += row.cells.size();
    }
    RtfTableWriter writer(cursor_);
    if (!continuesTable) {
        tableColumns_ = {};
    }
    // Once a table goes on as paragraphs, its later parts follow: a part written as a table
    // after them would join them as if they were a table, over their last line.
    tableAsText_ = (continuesTable && tableAsText_) || tableCells_ + cells > MaxTableCells;
    if (!tableAsText_) {
        tableCells_ += cells;
        writer.writeTable(rows, pageBreak, continuesTable, tableColumns_);
        startParagraph(); // the one after the table
    } else {
        writer.writeParagraphs(rows, pageBreak, paragraphEnded_ || hasContent_, tableColumns_);
        startParagraph();
        paragraphEnded_ = true;
        hasContent_ = true;
    }
    firstBlock_ = false;
}

} // namespace qtbackend
