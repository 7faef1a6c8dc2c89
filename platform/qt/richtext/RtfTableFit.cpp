#include "platform/qt/richtext/RtfTableFit.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include <QFontMetricsF>
#include <QHash>
#include <QHashFunctions>
#include <QList>
#include <QPaintDevice>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLength>
#include <QTextTable>
#include <QVariant>

#include "platform/qt/richtext/RichTextProperties.h"

namespace qtbackend {

namespace {

constexpr double CellPadding = 2; // 1/96 inch, as the reader makes tables

// Character widths in 1/96 inch on the device, by character format.
class CharacterWidths {
public:
    CharacterWidths(const QTextDocument& document, QPaintDevice& device)
        : document_(document), device_(device), scale_(96.0 / device.logicalDpiY()) {}

    // The widest character of the cell's text: Qt breaks a line anywhere rather than let a
    // column be narrower than its cells' text needs, but never inside a character.
    double widest(const QTextTableCell& cell) {
        double widest = 0;
        for (auto it = cell.begin(); !it.atEnd(); ++it) {
            for (auto part = it.currentBlock().begin(); !part.atEnd(); ++part) {
                const QTextFragment fragment = part.fragment();
                const QFontMetricsF& metrics = metricsFor(fragment);
                for (const QChar character : fragment.text()) {
                    if (!character.isSpace()) {
                        widest = std::max(widest, metrics.horizontalAdvance(character));
                    }
                }
            }
        }
        return widest * scale_;
    }

private:
    const QFontMetricsF& metricsFor(const QTextFragment& fragment) {
        const int index = fragment.charFormatIndex();
        auto found = metrics_.find(index);
        if (found == metrics_.end()) {
            const QFont font = fragment.charFormat().font().resolve(document_.defaultFont());
            found = metrics_.insert(index, QFontMetricsF(font, &device_));
        }
        return *found;
    }

    const QTextDocument& document_;
    QPaintDevice& device_;
    double scale_;
    QHash<int, QFontMetricsF> metrics_;
};

// For each column, the widest character of the cells that it alone holds. Neighbouring grid
// places of one cell are the same cell, which tells where cells start and end.
std::vector<double> widestCharacters(const QTextTable& table, CharacterWidths& widths) {
    std::vector<double> widest(static_cast<std::size_t>(table.columns()), 0.0);
    for (int row = 0; row < table.rows(); ++row) {
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            const bool starts = (column == 0 || table.cellAt(row, column - 1) != cell) &&
                                (row == 0 || table.cellAt(row - 1, column) != cell);
            if (starts && table.cellAt(row, column + 1) != cell) {
                auto& width = widest[static_cast<std::size_t>(column)];
                width = std::max(width, widths.widest(cell));
            }
        }
    }
    return widest;
}

// Fits one table: the widths its file gives where they and its characters fit, or else shares
// of the area in their proportions (Qt gives a column no less than its widest character, and
// takes that from the columns after it), and less padding if its characters need it.
void fitTable(QTextTable& table, const QVariantList& geometry, double width,
              CharacterWidths& characters) {
    QTextTableFormat format = table.format();
    std::vector<double> natural;
    for (qsizetype column = 1; column < geometry.size(); ++column) {
        natural.push_back(geometry[column].toDouble());
    }
    const auto columns = static_cast<double>(natural.size());
    const double sum = std::accumulate(natural.begin(), natural.end(), 0.0);
    // Each column's two borders and the table's own come on top of the widths, and Qt rounds
    // every width to whole device pixels: a pixel to spare.
    const double extra = 2 * format.border() * (columns + 2) + 1;
    const double left =
        geometry[0].toDouble() * std::min(1.0, (width - extra) / (geometry[0].toDouble() + sum));
    const double room = std::max(width - extra - left, 1.0);

    const std::vector<double> widest = widestCharacters(table, characters);
    double needed = 0;
    double characterWidths = 0;
    for (std::size_t column = 0; column < natural.size(); ++column) {
        needed += std::max(natural[column], widest[column] + 2 * CellPadding);
        characterWidths += widest[column];
    }
    QList<QTextLength> widths;
    for (const double column : natural) {
        widths.append(needed <= room
                          ? QTextLength(QTextLength::FixedLength, column)
                          : QTextLength(QTextLength::PercentageLength, 100 * column / sum));
    }
    const double padding = std::clamp((room - characterWidths) / (2 * columns), 0.0, CellPadding);
    if (widths == format.columnWidthConstraints() && left == format.leftMargin() &&
        padding == format.cellPadding()) {
        return;
    }
    format.setColumnWidthConstraints(widths);
    format.setLeftMargin(left);
    format.setCellPadding(padding);
    std::size_t key = qHashMulti(0, left, padding);
    for (const QTextLength& length : widths) {
        key = qHashMulti(key, int(length.type()), length.rawValue());
    }
    format.setProperty(richtext::ColumnWidthsKey, static_cast<int>(key));
    table.setFormat(format);
}

} // namespace

void fitTablesToWidth(QTextDocument& document, QPaintDevice& device, int width) {
    CharacterWidths characters(document, device);
    const double area = width * 96.0 / device.logicalDpiY();
    const QList<QTextFrame*> frames = document.rootFrame()->childFrames();
    for (QTextFrame* frame : frames) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (table == nullptr) {
            continue;
        }
        const QVariantList geometry = table->format().property(richtext::TableGeometryKey).toList();
        if (geometry.size() >= 2) {
            fitTable(*table, geometry, area, characters);
        }
    }
}

} // namespace qtbackend
