#include "platform/qt/richtext/RtfDocumentBuilder.h"

#include <algorithm>

#include <QHashFunctions>
#include <QImage>
#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextLength>
#include <QTextTable>
#include <QUrl>

#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/RtfPictureObject.h"

namespace qtbackend {

namespace {

// Qt rebuilds a table's cell grid after every change, so a table's cost grows with its size
// times its rows; longer tables go on in a new table. 64 columns is more than RTF allows.
constexpr int MaxCellsPerTable = 2000;
constexpr int MaxColumns = 64;

using richtext::ColumnWidthsKey;
using richtext::TwipsPerPixel;

// The first paragraph of a table cell keeps its mark's format where Qt keeps the cell's own (the
// rows and columns it spans among them): a paragraph mark's format must not replace those.
QTextCharFormat withCellProperties(QTextCharFormat mark, const QTextCharFormat& current) {
    if (!current.isTableCellFormat()) {
        return mark;
    }
    mark.setObjectType(QTextFormat::TableCellObject);
    const auto properties = current.properties();
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        if (it.key() >= QTextFormat::TableCellRowSpan && it.key() < QTextFormat::ImageName) {
            mark.setProperty(it.key(), it.value());
        }
    }
    return mark;
}

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
    if (text.isEmpty()) {
        return;
    }
    openBlock(inTable);
    cursor_.insertText(text, format);
    hasContent_ = true;
}

void RtfDocumentBuilder::insertImage(const QImage& image, QSizeF size,
                                     const QTextCharFormat& format, bool inTable) {
    if (images_++ == 0) {
        registerRtfPictureObject(document_);
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
    openBlock(inTable);
    cursor_.insertImage(picture);
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
    if (hasContent_ && !paragraphEnded_ && !cellEnded_ && !rowEnded_) {
        endParagraph(format, markFormat, inTable);
    }
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
    if (table_ == nullptr || cellEnded_ || rowEnded_) {
        enterTable(true);
    }
    // A cell whose last paragraph \par ended, or one merged into a cell with text, gets no empty
    // paragraph of its own.
    if (!paragraphEnded_) {
        openBlock(true);
        applyBlockFormat(format, markFormat);
    }
    cellEnded_ = true;
}

void RtfDocumentBuilder::endRow() {
    if (table_ == nullptr || rowEnded_) {
        return;
    }
    applyRowDefinition();
    rowEnded_ = true;
    cellEnded_ = false;
}

void RtfDocumentBuilder::finish(const QTextBlockFormat& format, const QTextCharFormat& markFormat,
                                bool inTable) {
    closeParagraph(format, markFormat, inTable);
}

void RtfDocumentBuilder::enterTable(bool inTable) {
    if (table_ != nullptr && !inTable) {
        leaveTable();
    }
    if (inTable) {
        if (table_ == nullptr) {
            startTable();
        } else if (rowEnded_) {
            nextRow();
        } else if (cellEnded_) {
            nextCell();
        }
    }
}

void RtfDocumentBuilder::openBlock(bool inTable) {
    enterTable(inTable);
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
    cursor_.setBlockCharFormat(withCellProperties(markFormat, cursor_.blockCharFormat()));
}

void RtfDocumentBuilder::startParagraph() {
    paragraphEnded_ = false;
    hasContent_ = false;
    pageBreakHere_ = false;
}

void RtfDocumentBuilder::startTable() {
    QTextTableFormat format;
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    format.setBorder(row_.borders ? 1 : 0);
    format.setBorderBrush(Qt::black);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    if (pageBreakNext_ && !(firstBlock_ && !hasContent_)) {
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    pageBreakNext_ = false;
    table_ = cursor_.insertTable(1, 1, format);
    grid_.clear();
    rowSpans_ = false;
    rowIndex_ = 0;
    cellEnded_ = false;
    rowEnded_ = false;
    layOutRow();
    cellIndex_ = 0;
    enterCell(0);
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
    rowEnded_ = false;
    cellEnded_ = false;
    layOutRow();
    cellIndex_ = 0;
    enterCell(0);
}

void RtfDocumentBuilder::nextCell() {
    cellEnded_ = false;
    ++cellIndex_;
    enterCell(cellIndex_);
}

void RtfDocumentBuilder::enterCell(int index) {
    startParagraph();
    if (index < static_cast<int>(rowCells_.size())) {
        const RowCell& cell = rowCells_[static_cast<std::size_t>(index)];
        columnIndex_ = cell.column;
        const QTextTableCell target = table_->cellAt(rowIndex_, cell.column);
        if (cell.continuation) {
            // What the merged cell holds stays as it is; text goes on in a paragraph of its own.
            cursor_ = target.lastCursorPosition();
            paragraphEnded_ = true;
        } else {
            cursor_ = target.firstCursorPosition();
        }
        return;
    }
    // A cell mark beyond the row's definition goes into the next column, added where needed.
    int column = 0;
    if (index > 0) {
        const QTextTableCell current = table_->cellAt(rowIndex_, columnIndex_);
        column = current.column() + current.columnSpan();
    }
    const int columns = table_->columns();
    if (column >= columns) {
        if (!roomForColumn()) {
            // No room for another column: the text goes on in the last cell.
            paragraphEnded_ = true;
            return;
        }
        table_->appendColumns(1);
    }
    columnIndex_ = column;
    cursor_ = table_->cellAt(rowIndex_, column).firstCursorPosition();
}

void RtfDocumentBuilder::leaveTable() {
    table_ = nullptr;
    cursor_.movePosition(QTextCursor::End);
    cellEnded_ = false;
    rowEnded_ = false;
    startParagraph();
}

void RtfDocumentBuilder::layOutRow() {
    rowCells_.clear();
    const auto& cells = row_.cells;
    // Right edges that do not grow from left to right place nothing: cells take columns in turn.
    for (std::size_t i = 1; i < cells.size(); ++i) {
        if (cells[i].right <= cells[i - 1].right) {
            applyRowDefinition();
            return;
        }
    }
    // Edges only grow, so adding a column never moves the columns of the cells already placed.
    std::vector<int> ends;
    ends.reserve(cells.size());
    for (const RtfCellDefinition& cell : cells) {
        ends.push_back(columnEndingAt(cell.right));
    }

    struct Span {
        int first;
        int last;
        bool mergedAbove;
        std::size_t cellIndex;
    };
    std::vector<Span> spans;
    const int columns = table_->columns();
    int next = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (spans.empty() || (!cells[i].mergedLeft && next < columns)) {
            const int first = std::min(next, columns - 1);
            spans.push_back({first, std::max(ends[i], first), cells[i].mergedAbove, i});
            rowCells_.push_back({first, false});
        } else {
            // Continues the cell to its left (or finds no column of its own): one cell with it.
            spans.back().last = std::max(spans.back().last, std::min(ends[i], columns - 1));
            rowCells_.push_back({spans.back().first, true});
        }
        next = spans.back().last + 1;
    }
    for (const Span& span : spans) {
        const int width = span.last - span.first + 1;
        if (span.mergedAbove && rowIndex_ > 0) {
            const QTextTableCell above = table_->cellAt(rowIndex_ - 1, span.first);
            if (above.column() == span.first && above.columnSpan() == width) {
                table_->mergeCells(above.row(), span.first, rowIndex_ - above.row() + 1, width);
                rowSpans_ = true;
                for (std::size_t i = span.cellIndex; i < rowCells_.size(); ++i) {
                    if (rowCells_[i].column == span.first) {
                        rowCells_[i].continuation = true;
                    }
                }
                continue;
            }
        }
        if (width > 1) {
            table_->mergeCells(rowIndex_, span.first, 1, width);
        }
    }
    applyRowDefinition();
}

int RtfDocumentBuilder::columnEndingAt(int right) {
    const auto at = std::lower_bound(grid_.begin(), grid_.end(), right);
    const int k = static_cast<int>(at - grid_.begin());
    if (at != grid_.end() && *at == right) {
        return k;
    }
    const int columns = table_->columns();
    if (at == grid_.end() && k < columns) {
        // The first column without an edge of its own takes this one.
        grid_.push_back(right);
        return k;
    }
    if (!roomForColumn()) {
        return std::min(k, columns - 1); // the nearest column to its right
    }
    if (at == grid_.end()) {
        table_->appendColumns(1);
        grid_.push_back(right);
        return k;
    }
    // The new edge splits column k: its left part stays column k, its right part is a new column
    // k + 1, which the cells of earlier rows that ended with column k must span as well.
    table_->insertColumns(k + 1, 1);
    grid_.insert(at, right);
    for (int row = 0; row < rowIndex_; ++row) {
        const QTextTableCell cell = table_->cellAt(row, k);
        if (cell.row() == row && cell.column() + cell.columnSpan() - 1 == k) {
            table_->mergeCells(row, cell.column(), cell.rowSpan(), cell.columnSpan() + 1);
        }
    }
    return k;
}

bool RtfDocumentBuilder::roomForColumn() const {
    // Qt misplaces the cells it adds beside a cell that spans rows, and loses track of its
    // table's cells from then on: tables with such cells keep their columns.
    const int columns = table_->columns();
    return !rowSpans_ && columns < MaxColumns && table_->rows() * (columns + 1) <= MaxCellsPerTable;
}

void RtfDocumentBuilder::applyRowDefinition() {
    const int columns = table_->columns();
    QList<QTextLength> widths;
    widths.reserve(columns);
    int left = 0;
    for (int column = 0; column < columns; ++column) {
        const auto edge = static_cast<std::size_t>(column);
        if (edge < grid_.size() && grid_[edge] > left) {
            widths.append(
                QTextLength(QTextLength::FixedLength, (grid_[edge] - left) / TwipsPerPixel));
            left = grid_[edge];
        } else {
            widths.append(QTextLength(QTextLength::VariableLength, 0));
        }
    }
    QTextTableFormat format = table_->format();
    if (format.columnWidthConstraints() == widths && format.border() == (row_.borders ? 1 : 0)) {
        return;
    }
    format.setColumnWidthConstraints(widths);
    // Qt tells formats apart by a hash that sees how many widths a table has but not what they
    // are; a property that does keeps documents with many tables linear.
    format.setProperty(ColumnWidthsKey, static_cast<int>(qHashRange(grid_.begin(), grid_.end())));
    format.setBorder(row_.borders ? 1 : 0);
    table_->setFormat(format);
}

} // namespace qtbackend
