#include "platform/qt/richtext/RtfTableGrid.h"

#include <algorithm>
#include <climits>

namespace qtbackend {

namespace {

// A column's width where no edge gives one, twips: an inch, as word processors make new cells.
constexpr int DefaultWidth = 1440;

// Whether the row's edges can place its cells: each to the right of the one before it, but for
// a cell merged into the one on its left, which may repeat that one's edge (\clmrg\cellx at the
// same place, as some writers do).
bool growing(const RtfRowDefinition& row) {
    const auto& cells = row.cells;
    if (cells.empty() || cells.front().right <= std::max(row.left, 0)) {
        return false;
    }
    int right = cells.front().right;
    for (std::size_t i = 1; i < cells.size(); ++i) {
        if (cells[i].right > right) {
            right = cells[i].right;
        } else if (!cells[i].mergedLeft) {
            return false;
        }
    }
    return true;
}

int rowLeft(const RtfTableRow& row) {
    return std::max(row.definition.left, 0);
}

} // namespace

RtfTableGrid::RtfTableGrid(std::span<const RtfTableRow> rows, const RtfColumnEdges& earlier) {
    collectEdges(rows, earlier);
    columns_ = std::max(static_cast<int>(edges_.size()), 1);
    ownersAbove_.assign(MaxColumns, -1);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        placeRow(rows[row], static_cast<int>(row));
    }
}

std::vector<int> RtfTableGrid::widths() const {
    std::vector<int> widths;
    const int extra = edges_.empty()
                          ? DefaultWidth
                          : std::max(1, (edges_.back() - left_) / static_cast<int>(edges_.size()));
    for (int column = 0; column < columns_; ++column) {
        const auto c = static_cast<std::size_t>(column);
        if (c < edges_.size()) {
            widths.push_back(edges_[c] - (c == 0 ? left_ : edges_[c - 1]));
        } else {
            widths.push_back(extra);
        }
    }
    return widths;
}

void RtfTableGrid::collectEdges(std::span<const RtfTableRow> rows, const RtfColumnEdges& earlier) {
    left_ = earlier.rights.empty() ? INT_MAX : earlier.left;
    edges_ = earlier.rights;
    for (const RtfTableRow& row : rows) {
        if (growing(row.definition)) {
            left_ = std::min(left_, rowLeft(row));
        }
    }
    if (left_ == INT_MAX) {
        left_ = 0;
        return;
    }
    for (const RtfTableRow& row : rows) {
        if (!growing(row.definition)) {
            continue;
        }
        edges_.push_back(rowLeft(row));
        for (const RtfCellDefinition& cell : row.definition.cells) {
            edges_.push_back(cell.right);
        }
    }
    keepDistinctEdges();
    const std::size_t count = edges_.size();
    if (count > static_cast<std::size_t>(MaxColumns)) {
        // Evenly chosen edges, the last one among them, keep the table's width and proportions.
        std::vector<int> kept;
        for (std::size_t k = 1; k <= static_cast<std::size_t>(MaxColumns); ++k) {
            kept.push_back(edges_[k * count / MaxColumns - 1]);
        }
        edges_ = std::move(kept);
    }
}

// Sorts the edges and keeps one of each group nearer than NearbyEdge to the one before, the
// table's left among them: where columnOf finds the edges it dropped.
void RtfTableGrid::keepDistinctEdges() {
    std::sort(edges_.begin(), edges_.end());
    std::vector<int> kept;
    int last = left_;
    for (const int edge : edges_) {
        if (edge - last >= NearbyEdge) {
            kept.push_back(edge);
            last = edge;
        }
    }
    edges_ = std::move(kept);
}

void RtfTableGrid::placeRow(const RtfTableRow& row, int index) {
    rowStarts_.push_back(places_.size());
    owners_.assign(MaxColumns, -1);
    const auto& definitions = row.definition.cells;
    const bool placed = growing(row.definition);
    int previousLast = placed && rowLeft(row) - left_ >= NearbyEdge ? columnOf(rowLeft(row)) : -1;
    int current = -1;    // the grid cell the row's last cell went to
    bool joined = false; // and whether that one comes from the row above
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        const RtfCellDefinition* definition =
            placed && i < definitions.size() ? &definitions[i] : nullptr;
        int first = previousLast + 1;
        const bool mergedLeft = definition != nullptr && definition->mergedLeft;
        if (current >= 0 && (first >= MaxColumns || mergedLeft)) {
            if (!joined && mergedLeft) {
                extendLast(current, columnOf(definition->right));
                const RtfGridCell& cell = cells_[static_cast<std::size_t>(current)];
                previousLast = cell.column + cell.columnSpan - 1;
            }
            places_.push_back({static_cast<std::size_t>(current), true});
            continue;
        }
        first = std::min(first, MaxColumns - 1);
        const int last = definition ? std::max(columnOf(definition->right), first) : first;
        previousLast = last;
        if (definition && definition->mergedAbove && placeBelow(first, last, index)) {
            current = ownersAbove_[first];
            joined = true;
            continue;
        }
        current = static_cast<int>(cells_.size());
        joined = false;
        cells_.push_back({index, first, 1, last - first + 1});
        std::fill(owners_.begin() + first, owners_.begin() + last + 1, current);
        places_.push_back({static_cast<std::size_t>(current), false});
    }
    columns_ = std::max(columns_, previousLast + 1);
    ownersAbove_.swap(owners_);
}

bool RtfTableGrid::placeBelow(int first, int last, int row) {
    const int above = ownersAbove_[first];
    if (row == 0 || above < 0) {
        return false;
    }
    RtfGridCell& cell = cells_[static_cast<std::size_t>(above)];
    if (cell.column != first || cell.column + cell.columnSpan - 1 != last) {
        return false;
    }
    ++cell.rowSpan;
    std::fill(owners_.begin() + first, owners_.begin() + last + 1, above);
    places_.push_back({static_cast<std::size_t>(above), true});
    return true;
}

void RtfTableGrid::extendLast(int current, int last) {
    RtfGridCell& cell = cells_[static_cast<std::size_t>(current)];
    const int end = cell.column + cell.columnSpan - 1;
    if (last > end) {
        cell.columnSpan = last - cell.column + 1;
        std::fill(owners_.begin() + end + 1, owners_.begin() + last + 1, current);
    }
}

int RtfTableGrid::columnOf(int right) const {
    const auto at = std::lower_bound(edges_.begin(), edges_.end(), right - NearbyEdge + 1);
    const auto column = static_cast<int>(at - edges_.begin());
    return std::min(column, std::max(static_cast<int>(edges_.size()) - 1, 0));
}

} // namespace qtbackend
