#include "platform/qt/richtext/RtfTableFit.h"

#include <algorithm>
#include <numeric>
#include <span>
#include <vector>

#include <QFontMetricsF>
#include <QHash>
#include <QHashFunctions>
#include <QList>
#include <QPaintDevice>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLength>
#include <QTextTable>
#include <QVariant>

#include "platform/qt/richtext/RichTextProperties.h"

namespace qtbackend {

namespace {

constexpr double CellPadding = 2; // 1/96 inch, as the reader makes tables
// A table's text is drawn no smaller than this share of its size to fit the table to the area.
constexpr double MinimumTextScale = 0.5;
// Qt rounds a column's width to whole device pixels: room for that beside its widest character.
constexpr double RoundingSpare = 0.5;

// Character widths in 1/96 inch on the device, by character format.
class CharacterWidths {
public:
    CharacterWidths(const QTextDocument& document, QPaintDevice& device)
        : document_(document), device_(device), scale_(96.0 / device.logicalDpiY()) {}

    // The widest character of the cell's text: Qt breaks a line anywhere rather than let a
    // column be narrower than its cells' text needs, but never inside a character.
    double widest(const QTextTableCell& cell) {
        double widest = 0;
        double pictures = 0; // 1/96 inch already
        for (auto it = cell.begin(); !it.atEnd(); ++it) {
            for (auto part = it.currentBlock().begin(); !part.atEnd(); ++part) {
                const QTextFragment fragment = part.fragment();
                if (fragment.charFormat().isImageFormat()) {
                    pictures = std::max(pictures, fragment.charFormat().toImageFormat().width());
                    continue;
                }
                const QFontMetricsF& metrics = metricsFor(fragment);
                for (const QChar character : fragment.text()) {
                    if (!character.isSpace()) {
                        widest = std::max(widest, metrics.horizontalAdvance(character));
                    }
                }
            }
        }
        return std::max(widest * scale_, pictures);
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

// For each column, the widest character of the cells it holds; a cell spanning columns counts
// in the widest of them (by natural width), where its text can go.
std::vector<double> widestCharacters(const QTextTable& table, const std::vector<double>& natural,
                                     CharacterWidths& widths) {
    std::vector<double> widest(natural.size(), 0.0);
    for (int row = 0; row < table.rows(); ++row) {
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            if (cell.row() != row || cell.column() != column) {
                continue; // a cell is counted where it starts
            }
            auto first = natural.begin() + column;
            auto last = first + std::min(cell.columnSpan(), table.columns() - column);
            auto& width =
                widest[static_cast<std::size_t>(std::max_element(first, last) - natural.begin())];
            width = std::max(width, widths.widest(cell));
        }
    }
    return widest;
}

// Widths in proportion to natural that fill room, none below its minimum: the columns whose
// share would be less get their minimum, the others share what is left.
std::vector<double> shares(const std::vector<double>& natural, const std::vector<double>& minimum,
                           double room) {
    std::vector<bool> atMinimum(natural.size(), false);
    std::vector<double> widths(natural.size());
    for (bool changed = true; changed;) {
        changed = false;
        double rest = room;
        double restNatural = 0;
        for (std::size_t column = 0; column < natural.size(); ++column) {
            rest -= atMinimum[column] ? minimum[column] : 0;
            restNatural += atMinimum[column] ? 0 : natural[column];
        }
        for (std::size_t column = 0; column < natural.size(); ++column) {
            widths[column] = atMinimum[column]
                                 ? minimum[column]
                                 : natural[column] * std::max(rest, 0.0) / restNatural;
            if (widths[column] < minimum[column]) {
                atMinimum[column] = true;
                changed = true;
            }
        }
    }
    return widths;
}

// Scales the size of the text and pictures in the table's cells by factor.
void scaleText(QTextTable& table, double factor) {
    QTextDocument& document = *table.document();
    const double plain = document.defaultFont().pointSizeF();
    struct Run {
        int position;
        int length;
        double size;
        double pictureWidth; // of a picture, or 0
        double pictureHeight;
    };
    std::vector<Run> runs;
    for (QTextBlock block = document.findBlock(table.firstPosition());
         block.isValid() && block.position() <= table.lastPosition(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const bool sized = format.hasProperty(QTextFormat::FontPointSize);
            runs.push_back({fragment.position(), fragment.length(),
                            (sized ? format.fontPointSize() : plain) * factor,
                            format.toImageFormat().width() * factor,
                            format.toImageFormat().height() * factor});
        }
    }
    QTextCursor cursor(&document);
    for (const Run& run : runs) {
        cursor.setPosition(run.position);
        cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        QTextCharFormat size;
        size.setFontPointSize(run.size);
        if (run.pictureWidth > 0) {
            size.setProperty(QTextFormat::ImageWidth, run.pictureWidth);
            size.setProperty(QTextFormat::ImageHeight, run.pictureHeight);
        }
        cursor.mergeCharFormat(size);
    }
}

// A table wider than width is drawn smaller, its text with it, as far as its characters allow:
// the words that fit in a column at the file's widths fit in it still.
void scaleToFit(QTextTable& table, double natural, double width) {
    QTextTableFormat format = table.format();
    const QVariant applied = format.property(richtext::TableTextScaleKey);
    const double previous = applied.isValid() ? applied.toDouble() : 1.0;
    const double scale = std::clamp(width / natural, MinimumTextScale, 1.0);
    if (scale == previous) {
        return;
    }
    scaleText(table, scale / previous);
    format.setProperty(richtext::TableTextScaleKey, scale);
    table.setFormat(format);
}

// Fits one table, or the parts one long table is written in, all alike: the widths its file
// gives where they and its characters fit, or else shares of the area in their proportions, each
// column at least as wide as its widest character (Qt would take what such a column lacks from
// the columns after it), and less padding if its characters need it.
void fitTable(std::span<QTextTable* const> parts, const QVariantList& geometry, double width,
              CharacterWidths& characters) {
    std::vector<double> natural;
    for (qsizetype column = 1; column < geometry.size(); ++column) {
        natural.push_back(geometry[column].toDouble());
    }
    const auto columns = static_cast<double>(natural.size());
    const double sum = std::accumulate(natural.begin(), natural.end(), 0.0);
    // Each column's two borders and the table's own come on top of the widths, and Qt rounds
    // every width to whole device pixels: a pixel to spare.
    const double extra = 2 * parts.front()->format().border() * (columns + 2) + 1;
    const double left =
        geometry[0].toDouble() * std::min(1.0, (width - extra) / (geometry[0].toDouble() + sum));
    const double room = std::max(width - extra - left, 1.0);
    std::vector<double> widest(natural.size(), 0.0);
    for (QTextTable* part : parts) {
        scaleToFit(*part, sum, room);
        const std::vector<double> own = widestCharacters(*part, natural, characters);
        std::transform(own.begin(), own.end(), widest.begin(), widest.begin(),
                       [](double a, double b) { return std::max(a, b); });
    }

    const double characterWidths = std::accumulate(widest.begin(), widest.end(), 0.0);
    const double padding = std::clamp((room - characterWidths) / (2 * columns), 0.0, CellPadding);
    std::vector<double> minimum;
    double needed = 0;
    for (std::size_t column = 0; column < natural.size(); ++column) {
        minimum.push_back(widest[column] + 2 * padding + RoundingSpare);
        needed += std::max(natural[column], minimum.back());
    }
    QList<QTextLength> widths;
    if (needed <= room) {
        for (const double column : natural) {
            widths.append(QTextLength(QTextLength::FixedLength, column));
        }
    } else {
        // Shares of the area: Qt takes its borders and padding from them itself.
        const std::vector<double> fitted = shares(natural, minimum, room);
        const double total = std::accumulate(fitted.begin(), fitted.end(), 0.0);
        for (const double column : fitted) {
            widths.append(QTextLength(QTextLength::PercentageLength, 100 * column / total));
        }
    }
    std::size_t key = qHashMulti(0, left, padding);
    for (const QTextLength& length : widths) {
        key = qHashMulti(key, int(length.type()), length.rawValue());
    }
    for (QTextTable* part : parts) {
        QTextTableFormat format = part->format();
        if (widths == format.columnWidthConstraints() && left == format.leftMargin() &&
            padding == format.cellPadding()) {
            continue;
        }
        format.setColumnWidthConstraints(widths);
        format.setLeftMargin(left);
        format.setCellPadding(padding);
        format.setProperty(richtext::ColumnWidthsKey, static_cast<int>(key));
        part->setFormat(format);
    }
}

QVariantList geometryOf(const QTextTable& table) {
    return table.format().property(richtext::TableGeometryKey).toList();
}

} // namespace

void fitTablesToWidth(QTextDocument& document, QPaintDevice& device, int width) {
    CharacterWidths characters(document, device);
    const double area = width * 96.0 / device.logicalDpiY();
    std::vector<QTextTable*> tables;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame);
            table != nullptr && geometryOf(*table).size() >= 2) {
            tables.push_back(table);
        }
    }
    // The parts of one table on the same columns are fitted together.
    for (auto first = tables.begin(); first != tables.end();) {
        const QVariantList geometry = geometryOf(**first);
        auto last = std::next(first);
        while (last != tables.end() &&
               (*last)->format().boolProperty(richtext::TableContinuesKey) &&
               geometryOf(**last) == geometry) {
            ++last;
        }
        fitTable(std::span(first, last), geometry, area, characters);
        first = last;
    }
}

} // namespace qtbackend
