#include "platform/qt/richtext/TableHeightBounds.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

namespace qtbackend {

namespace {

// A glyph from a fallback font can make a line taller than its own font does.
constexpr double FallbackFontAllowance = 1.5;
// Lines and rows moved to the next page leave room behind them.
constexpr double PageBreakAllowance = 2.0;

class LineSpacings {
public:
    explicit LineSpacings(const QPaintDevice& target) : target_(target) {}

    double of(int formatIndex, const QTextCharFormat& format) {
        auto found = spacings_.constFind(formatIndex);
        if (found == spacings_.constEnd()) {
            const QFontMetricsF metrics(format.font(), &target_);
            found = spacings_.insert(formatIndex, metrics.lineSpacing() * FallbackFontAllowance);
        }
        return found.value();
    }

private:
    const QPaintDevice& target_;
    QHash<int, double> spacings_;
};

double blockBound(const QTextBlock& block, LineSpacings& spacings, double scale) {
    double spacing = spacings.of(block.charFormatIndex(), block.charFormat());
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        spacing = std::max(spacing, spacings.of(fragment.charFormatIndex(), fragment.charFormat()));
    }
    const QTextBlockFormat format = block.blockFormat();
    const double line = std::max(spacing, format.lineHeight(spacing, scale));
    return line * block.length() + (format.topMargin() + format.bottomMargin()) * scale;
}

} // namespace

std::vector<double> rowHeightBounds(const QTextTable& table, const QPaintDevice& target,
                                    double scale) {
    const QTextDocument& document = *table.document();
    const QTextTableFormat format = table.format();
    // Padding, borders and spacing around a cell, and the table frame's own, counted for every
    // cell and every row alike.
    const double frame = (format.topMargin() + format.bottomMargin() +
                          2 * (format.border() + format.padding() + format.cellSpacing())) *
                         scale;
    LineSpacings spacings(target);
    std::vector<double> bounds(static_cast<std::size_t>(table.rows()), frame);
    for (int row = 0; row < table.rows(); ++row) {
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            if (cell.row() != row || cell.column() != column) {
                continue;
            }
            const QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
            double height = (2 * (format.cellPadding() + format.border()) + format.cellSpacing() +
                             cellFormat.topPadding() + cellFormat.bottomPadding()) *
                            scale;
            const int last = cell.lastPosition();
            for (QTextBlock block = document.findBlock(cell.firstPosition());
                 block.isValid() && block.position() <= last; block = block.next()) {
                height += blockBound(block, spacings, scale);
            }
            bounds[static_cast<std::size_t>(row)] += height;
        }
        bounds[static_cast<std::size_t>(row)] *= PageBreakAllowance;
    }
    return bounds;
}

} // namespace qtbackend
