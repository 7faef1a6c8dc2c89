#pragma once

#include <cstddef>
#include <span>

#include <QTextCursor>

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
// RtfTableGrid), which Qt lays out at a cost that grows with the table's size. Beyond a bound
// on the cells in tables, rows are written as paragraphs with tab stops at their columns, which
// costs a fraction of that: every cell's text still prints, in its row and column.
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
    static constexpr std::size_t MaxTableCells = 16384;

private:
    void openBlock();
    // A new paragraph has begun: nothing in it yet, no break pending at it.
    void startParagraph();
    void applyBlockFormat(QTextBlockFormat format, const QTextCharFormat& markFormat);
    // Writes the rows gathered so far: the ended ones, or every one when the table ends.
    void writeRows(bool all);
    void writeBatch(std::span<const RtfTableRow> rows, bool pageBreakBefore);

    QTextDocument& document_;
    QTextCursor cursor_;
    const RtfRowDefinition& row_;
    RtfTableRows rows_;
    std::size_t tableCells_ = 0; // cells written into QTextTables
    int images_ = 0;
    bool paragraphEnded_ = false;
    bool hasContent_ = false;
    bool firstBlock_ = true;
    bool pageBreakNext_ = false;
    bool pageBreakHere_ = false;
};

} // namespace qtbackend
