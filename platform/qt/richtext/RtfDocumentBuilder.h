#pragma once

#include <vector>

#include <QTextCursor>

class QImage;
class QSizeF;
class QString;
class QTextBlockFormat;
class QTextCharFormat;
class QTextDocument;
class QTextTable;

namespace qtbackend {

// One cell of a table row: its right edge in twips, and whether it continues the cell to its
// left or the cell above (merged cells).
struct RtfCellDefinition {
    int right = 0;
    bool mergedLeft = false;
    bool mergedAbove = false;
};

// The cells of the table row being read, whether they have borders, and what is known so far of
// the cell whose right edge comes next.
struct RtfRowDefinition {
    std::vector<RtfCellDefinition> cells;
    bool borders = false;
    RtfCellDefinition next;
};

// Builds the document from what the RTF reader makes of its input: runs of text, paragraph
// ends, page breaks and table cells. A paragraph end only closes the paragraph; the next one is
// opened when something goes into it, so that the final \par of a document or of a table cell
// leaves no empty paragraph behind. Tables are QTextTables, filled row by row, on a grid of
// columns made of every right edge their rows name, so that a cell spans the columns between its
// edges and merged cells become one; their size is bounded so that building them stays linear
// in the input.
class RtfDocumentBuilder {
public:
    // row is the reader's current row definition, read when a table starts and a row ends.
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

private:
    // Leaves the table, or goes into it: into its next cell or row once one has ended.
    void enterTable(bool inTable);
    void openBlock(bool inTable);
    // A new paragraph has begun: nothing in it yet, no break pending at it.
    void startParagraph();
    void applyBlockFormat(QTextBlockFormat format, const QTextCharFormat& markFormat);
    void startTable();
    void nextRow();
    void nextCell();
    void leaveTable();
    void applyRowDefinition();
    // Places the row's cells on the grid, adding the columns its edges need, and merges them.
    void layOutRow();
    // The grid column whose right edge is right, added to the table where there is room.
    int columnEndingAt(int right);
    bool roomForColumn() const;
    // Moves to the row's cell with this index among its cell marks.
    void enterCell(int index);

    // A cell of the current row, in the order of its cell marks: the table column it writes to,
    // and whether that cell is one it merges into (text is added after what is there).
    struct RowCell {
        int column = 0;
        bool continuation = false;
    };

    QTextDocument& document_;
    QTextCursor cursor_;
    const RtfRowDefinition& row_;
    bool paragraphEnded_ = false;
    bool hasContent_ = false;
    bool firstBlock_ = true;
    bool pageBreakNext_ = false;
    bool pageBreakHere_ = false;

    QTextTable* table_ = nullptr;
    std::vector<int> grid_; // right edges of the table's first columns, in twips
    std::vector<RowCell> rowCells_;
    bool rowSpans_ = false; // a cell of the table spans rows
    int rowIndex_ = 0;
    int cellIndex_ = 0;   // the current cell mark's place in the row
    int columnIndex_ = 0; // the table column being written to
    bool cellEnded_ = false;
    bool rowEnded_ = false;

    int images_ = 0;
};

} // namespace qtbackend
