#pragma once

#include <span>
#include <vector>

#include "platform/qt/richtext/RtfTableGrid.h"
#include "platform/qt/richtext/RtfTableRows.h"

class QTextCursor;

namespace qtbackend {

// Writes table rows into the document at a cursor, which then stands after what was written.
class RtfTableWriter {
public:
    explicit RtfTableWriter(QTextCursor& cursor) : cursor_(cursor) {}

    // columns: those of the table's parts written before these rows, which they keep (none for
    // a new table); then also those of these rows.

    // One QTextTable on the rows' grid of columns, its widths as the rows give them.
    // continuesTable: it goes on from the table just before the cursor, without a gap.
    void writeTable(std::span<const RtfTableRow> rows, bool pageBreakBefore, bool continuesTable,
                    RtfColumnEdges& columns);
    // One paragraph per row, its cells apart by tab stops where their columns start: far
    // cheaper to lay out than a table, for tables too large to be laid out as tables in time.
    // newBlock: the first row starts a paragraph of its own rather than the cursor's.
    void writeParagraphs(std::span<const RtfTableRow> rows, bool pageBreakBefore, bool newBlock,
                         RtfColumnEdges& columns);

private:
    void writeRow(const RtfTableGrid& grid, const std::vector<int>& starts, std::size_t index,
                  const RtfTableRow& row, bool pageBreakBefore, bool newBlock);

    QTextCursor& cursor_;
};

} // namespace qtbackend
