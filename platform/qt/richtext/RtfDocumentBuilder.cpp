#include "platform/qt/richtext/RtfDocumentBuilder.h"

#include <algorithm>

#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextLength>
#include <QTextTable>

namespace qtbackend {

namespace {

// Qt rebuilds a table's cell grid after every change, so a table's cost grows with its size
// times its rows; longer tables go on in a new table. 64 columns is more than RTF allows.
constexpr int MaxCellsPerTable = 2000;
constexpr int MaxColumns = 64;

constexpr double TwipsPerPixel = 15.0; // lengths go in as 1/96 inch, as in Qt's HTML import

} // namespace

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
    if (text.isEmpty())
        return;
    openBlock(inTable);
    cursor_.insertText(text, format);
    hasContent_ = true;
}

void RtfDocumentBuilder::endParagraph(const QTextBlockFormat& format,
                                      const QTextCharFormat& markFormat, bool inTable) {
    openBlock(inTable);
    applyBlockFormat(format, markFormat);
    paragraphEnded_ = true;
}

void RtfDocumentBuilder::closeParagraph(const QTextBlockFormat& format,
                                        const QTextCharFormat& markFormat, bool inTable) {
    // After a cell or row mark nothing is open: the next paragraph has not begun.
    if (hasContent_ && !paragraphEnded_ && !cellEnded_ && !rowEnded_)
        endParagraph(format, markFormat, inTable);
}

void RtfDocumentBuilder::breakPage(const QTextBlockFormat& format,
                                   const QTextCharFormat& markFormat, bool inTable) {
    closeParagraph(format, markFormat, inTable);
    if (paragraphEnded_ || table_ != nullptr) {
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
    if (table_ != nullptr && !cellEnded_ && !rowEnded_ && paragraphEnded_) {
        // The cell's last paragraph was ended by \par: no empty paragraph after it.
        cellEnded_ = true;
        return;
    }
    openBlock(true);
    applyBlockFormat(format, markFormat);
    cellEnded_ = true;
}

void RtfDocumentBuilder::endRow() {
    if (table_ == nullptr || rowEnded_)
        return;
    applyRowDefinition();
    rowEnded_ = true;
    cellEnded_ = false;
}

void RtfDocumentBuilder::finish(const QTextBlockFormat& format, const QTextCharFormat& markFormat,
                                bool inTable) {
    closeParagraph(format, markFormat, inTable);
}

void RtfDocumentBuilder::openBlock(bool inTable) {
    if (table_ != nullptr && !inTable)
        leaveTable();
    if (inTable) {
        if (table_ == nullptr)
            startTable();
        else if (rowEnded_)
            nextRow();
        else if (cellEnded_)
            nextCell();
    }
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
    if (pageBreakHere_)
        format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
    cursor_.setBlockFormat(format);
    cursor_.setBlockCharFormat(markFormat);
}

void RtfDocumentBuilder::startParagraph() {
    paragraphEnded_ = false;
    hasContent_ = false;
    pageBreakHere_ = false;
}

void RtfDocumentBuilder::startTable() {
    const int columns = std::clamp(static_cast<int>(row_.cellBoundaries.size()), 1, MaxColumns);
    QTextTableFormat format;
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    format.setBorder(row_.borders ? 1 : 0);
    format.setBorderBrush(Qt::black);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    if (pageBreakNext_ && !(firstBlock_ && !hasContent_))
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    pageBreakNext_ = false;
    table_ = cursor_.insertTable(1, columns, format);
    applyRowDefinition();
    cursor_ = table_->cellAt(0, 0).firstCursorPosition();
    rowIndex_ = 0;
    columnIndex_ = 0;
    cellEnded_ = false;
    rowEnded_ = false;
    startParagraph();
    firstBlock_ = false;
}

void RtfDocumentBuilder::nextRow() {
    if ((rowIndex_ + 2) * table_->columns() > MaxCellsPerTable) {
        leaveTable();
        startTable();
        return;
    }
    table_->appendRows(1);
    ++rowIndex_;
    columnIndex_ = 0;
    cursor_ = table_->cellAt(rowIndex_, 0).firstCursorPosition();
    rowEnded_ = false;
    cellEnded_ = false;
    startParagraph();
}

void RtfDocumentBuilder::nextCell() {
    cellEnded_ = false;
    const int columns = table_->columns();
    if (columnIndex_ + 1 >= columns) {
        if (columns >= MaxColumns || (columns + 1) * (rowIndex_ + 1) > MaxCellsPerTable) {
            // No room for another column: the text goes on in the last cell.
            paragraphEnded_ = true;
            return;
        }
        table_->appendColumns(1);
    }
    ++columnIndex_;
    cursor_ = table_->cellAt(rowIndex_, columnIndex_).firstCursorPosition();
    startParagraph();
}

void RtfDocumentBuilder::leaveTable() {
    table_ = nullptr;
    cursor_.movePosition(QTextCursor::End);
    cellEnded_ = false;
    rowEnded_ = false;
    startParagraph();
}

void RtfDocumentBuilder::applyRowDefinition() {
    const auto& boundaries = row_.cellBoundaries;
    const int columns = table_->columns();
    QList<QTextLength> widths;
    widths.reserve(columns);
    int left = 0;
    for (int column = 0; column < columns; ++column) {
        if (column < static_cast<int>(boundaries.size()) && boundaries[column] > left) {
            widths.append(
                QTextLength(QTextLength::FixedLength, (boundaries[column] - left) / TwipsPerPixel));
            left = boundaries[column];
        } else {
            widths.append(QTextLength(QTextLength::VariableLength, 0));
        }
    }
    QTextTableFormat format = table_->format();
    if (format.columnWidthConstraints() == widths && format.border() == (row_.borders ? 1 : 0))
        return;
    format.setColumnWidthConstraints(widths);
    format.setBorder(row_.borders ? 1 : 0);
    table_->setFormat(format);
}

} // namespace qtbackend
