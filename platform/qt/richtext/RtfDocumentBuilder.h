#pragma once

#include <cstddef>
#include <span>

#include <QTextCursor>

#include "platform/qt/richtext/RtfTableGrid.h"
#include "platform/qt/richtext/RtfTableRows.h"

class QImage;
class QSizeF;
class QString;
class QTextBlockFormat;
class QTextCharFormat;
class QTextDocument;

namespace qtbackend {

// Builds the document from what the RTF reader makes of its input: runs of text, paragraph
// ends, page breaks and table cells. A paragraph end only closes the paragraph; the next one is
// opened when something goes into it, so that the final \par of a document or of a table cell
// leaves no empty paragraph behind. Table rows are gathered and written a few hundred cells at
// a time, each batch one QTextTable on a grid of the columns its rows' edges make (see
// RtfTableGrid), the batches of one table without a gap: Qt lays a table out whole each time
// the page layout reaches into it, so that one long table would cost the square of its length.
// Beyond a bound on the cells in tables, rows are written as paragraphs with tab stops at their
// columns, which Qt lays out in a quarter of the time: every cell's text still prints, in its
// row and column.
class RtfDocumentBuilder {
public:
    // row is the reader's current row definition, read when a row ends.
    RtfDocumentBuilder(QTextDocument& document, const RtfRowDefinition& row);

    // Text without line or paragraph separators.
    void insertText(const QString& text, const QTextCharFormat& format, bool inTable);
    // A picture in the flow of the text, of size in 1/96 inch: the image, kept as one of the
    // document's resources, or a blank box where the image is null.
    void insertImage(const QImage& image, QSizeF size, const QTextCharFormat& format, bool inTable);
    void endParagraph(const QTextBlockFormat& format, const QTextCharFormat& markFormat,
                      bool inTable);
    // Ends the current paragraph if it has been started and not ended yet.
    void closeParagraph(const QTextBlockFormat& format, const QTextCharFormat& markFormat,
                        bool inTable);
    // The next paragraph starts a new page.
    void breakPage(const QTextBlockFormat& format, const QTextCharFormat& markFormat, bool inTable);
    void endCell(const QTextBlockFormat& format, const QTextCharFormat& markFormat);
    void endRow();
    // The distance between tab stops where the paragraph sets none, in 1/96 inch.
    void setDefaultTabStop(double distance);
    void finish(const QTextBlockFormat& format, const QTextCharFormat& markFormat, bool inTable);

    // Cells per QTextTable, and in all of a document's tables.
    static constexpr std::size_t CellsPerTable = 256;
    static constexpr std::size_t MaxTableCells = 4096;

private:
    void openBlock();
    // A new paragraph has begun: nothing in it yet, no break pending at it.
    void startParagraph();
    void applyBlockFormat(QTextBlockFormat format, const QTextCharFormat& markFormat);
    // Writes the rows gathered so far: the ended ones, or every one when the table ends.
    void writeRows(bool all);
    // continuesTable: the rows go on from the table written last, with nothing between them.
    void writeBatch(std::span<const RtfTableRow> rows, bool pageBreakBefore, bool continuesTable);

    QTextDocument& document_;
    QTextCursor cursor_;
    const RtfRowDefinition& row_;
    RtfTableRows rows_;
    std::size_t tableCells_ = 0;  // cells written into QTextTables
    bool tableGoesOn_ = false;    // the last rows written were not the table's last
    bool tableAsText_ = false;    // the last rows written went in as paragraphs
    RtfColumnEdges tableColumns_; // those of the table being written
    int images_ = 0;
    bool paragraphEnded_ = false;
    bool hasContent_ = false;
    bool firstBlock_ = true;
    bool pageBreakNext_ = false;
    bool pageBreakHere_ = false;
};

} // namespace qtbackend
