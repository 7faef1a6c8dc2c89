#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

namespace qtbackend {

// One cell of a table row: its right edge in twips, whether it continues the cell to its left or
// the cell above (merged cells), and how far its text is turned (degrees clockwise: 0, 90 to read
// from top to bottom, 270 from bottom to top).
struct RtfCellDefinition {
    std::int32_t right = 0;
    bool mergedLeft = false;
    bool mergedAbove = false;
    int rotation = 0;
};

// The cells of a table row, where the row starts (\trleft, twips), whether it has borders, and
// what is known so far of the cell whose right edge comes next.
struct RtfRowDefinition {
    std::vector<RtfCellDefinition> cells;
    std::int32_t left = 0;
    bool borders = false;
    RtfCellDefinition next;
};

struct RtfTextRun {
    QString text;
    QTextCharFormat format;
};

// A paragraph of a table cell. A cell mark in a cell without text makes an implicit one.
struct RtfCellParagraph {
    std::vector<RtfTextRun> runs;
    QTextBlockFormat block;
    QTextCharFormat mark;
    bool ended = false;
    bool implicit = false;
};

struct RtfTableCell {
    std::vector<RtfCellParagraph> paragraphs;
    bool closed = false;
};

struct RtfTableRow {
    RtfRowDefinition definition;
    std::vector<RtfTableCell> cells;
    bool pageBreakBefore = false;
};

// The rows of the table being read, as the reader hands over their text and marks, until they
// are written into the document. A row takes the definition in force at its row mark, so that
// a definition written after the row's cells (as Word does) holds for them as well. A row keeps
// at most MaxCells cells: the text of further cells goes on in its last one.
class RtfTableRows {
public:
    static constexpr std::size_t MaxCells = 64;

    void insertText(const QString& text, const QTextCharFormat& format);
    void endParagraph(const QTextBlockFormat& block, const QTextCharFormat& mark);
    // Ends the paragraph being read if it has text and no paragraph mark yet.
    void closeParagraph(const QTextBlockFormat& block, const QTextCharFormat& mark);
    void endCell(const QTextBlockFormat& block, const QTextCharFormat& mark);
    void endRow(const RtfRowDefinition& definition);
    // The rows after the one being read start on a new page.
    void breakPage();

    bool empty() const { return rows_.empty() && open_.cells.empty(); }
    // The cells of the rows ended so far.
    std::size_t cellCount() const { return cellCount_; }
    // The rows ended so far; the row being read stays.
    std::vector<RtfTableRow> takeEndedRows();
    // Every row, the one being read ended with definition; pageBreakAfter tells whether a page
    // break is still to come after them.
    std::vector<RtfTableRow> takeAll(const RtfRowDefinition& definition, bool& pageBreakAfter);

private:
    RtfTableCell& openCell();
    RtfCellParagraph& openParagraph();

    std::vector<RtfTableRow> rows_;
    RtfTableRow open_;
    std::size_t cellCount_ = 0;
    bool breakNextRow_ = false;
};

} // namespace qtbackend
