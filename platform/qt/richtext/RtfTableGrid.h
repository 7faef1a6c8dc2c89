#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "platform/qt/richtext/RtfTableRows.h"

namespace qtbackend {

// A cell of the grid: where it starts and how many rows and columns it spans.
struct RtfGridCell {
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
};

// Where a cell of a row goes: the grid cell it writes to, and whether that grid cell is one it
// continues (merged cells, or a cell without a column of its own), its text after what is there.
struct RtfCellPlace {
    std::size_t cell = 0;
    bool continuation = false;
};

// A table's columns: where it starts and each column's right edge, in twips, growing.
struct RtfColumnEdges {
    int left = 0;
    std::vector<int> rights;
};

// Lays rows out on a grid of columns made of every right edge their cells name, so that a cell
// spans the columns between its edges: narrower cells split the columns of wider ones. Merged
// cells (\clmrg, \clvmrg) join the cell to their left or above. Rows whose edges do not grow
// from left to right, and cells beyond a row's edges, take columns in turn. There are at most
// MaxColumns columns: nearby edges share one, and cells beyond the last column go on in the
// cell before them. Edges closer than NearbyEdge are one: word processors write a column's edge a
// few twips apart from one row to the next, and a sliver of a column between would misalign them.
class RtfTableGrid {
public:
    static constexpr int MaxColumns = static_cast<int>(RtfTableRows::MaxCells);

    static constexpr int NearbyEdge = 20; // twips, a point

    // earlier: the columns of the parts of the table written before these rows, which they keep.
    explicit RtfTableGrid(std::span<const RtfTableRow> rows, const RtfColumnEdges& earlier = {});

    int columns() const { return columns_; }
    // Where the table starts, in twips from the text area's edge.
    int left() const { return left_; }
    // The width of each column, twips.
    std::vector<int> widths() const;
    RtfColumnEdges edges() const { return {left_, edges_}; }
    const std::vector<RtfGridCell>& cells() const { return cells_; }
    RtfCellPlace place(std::size_t row, std::size_t cell) const {
        return places_[rowStarts_[row] + cell];
    }

private:
    void collectEdges(std::span<const RtfTableRow> rows, const RtfColumnEdges& earlier);
    void keepDistinctEdges();
    void placeRow(const RtfTableRow& row, int index);
    bool placeBelow(int first, int last, int row);
    void extendLast(int current, int last);
    int columnOf(int right) const;

    int left_ = 0;
    int columns_ = 1;
    std::vector<int> edges_; // right edges, twips, growing
    std::vector<RtfGridCell> cells_;
    std::vector<RtfCellPlace> places_;
    std::vector<std::size_t> rowStarts_;
    std::vector<int> owners_;      // the grid cell over each column of the row being placed
    std::vector<int> ownersAbove_; // the same for the row above
};

} // namespace qtbackend
