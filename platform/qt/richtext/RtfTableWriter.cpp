#include "platform/qt/richtext/RtfTableWriter.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <QHashFunctions>
#include <QList>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextLength>
#include <QTextTable>
#include <QVariant>

#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/RotatedTextObject.h"
#include "platform/qt/richtext/RtfTableGrid.h"
#include "platform/qt/richtext/TextObjectHandlers.h"

namespace qtbackend {

namespace {

using richtext::TwipsPerPixel;

constexpr double CellPadding = 2; // 1/96 inch

// The first paragraph of a table cell keeps its mark's format where Qt keeps the cell's own (the
// rows and columns it spans among them): a paragraph mark's format must not replace those.
QTextCharFormat withCellProperties(QTextCharFormat mark, const QTextCharFormat& current) {
    mark.setObjectType(QTextFormat::TableCellObject);
    const auto properties = current.properties();
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        if (it.key() >= QTextFormat::TableCellRowSpan && it.key() < QTextFormat::ImageName) {
            mark.setProperty(it.key(), it.value());
        }
    }
    return mark;
}

QTextTableFormat tableFormat(const RtfTableGrid& grid, bool borders) {
    QTextTableFormat format;
    format.setCellPadding(CellPadding);
    format.setCellSpacing(0);
    // Collapsed borders make Qt weigh every cell's edges against its neighbours' each time it
    // lays out or draws a cell: half the cost of a large table. Without, each cell draws its
    // own border beside its neighbour's: two of half the width make lines of 1/96 inch.
    format.setBorderCollapse(false);
    const double border = borders ? 0.5 : 0;
    format.setBorder(border);
    format.setBorderBrush(Qt::black);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);

    // Qt adds each cell's borders to its column's width, which RTF counts in.
    QVariantList geometry{grid.left() / TwipsPerPixel};
    QList<QTextLength> widths;
    for (const int twips : grid.widths()) {
        const double width = std::max(twips / TwipsPerPixel - 2 * border, 1.0);
        geometry.append(width);
        widths.append(QTextLength(QTextLength::FixedLength, width));
    }
    format.setColumnWidthConstraints(widths);
    format.setLeftMargin(grid.left() / TwipsPerPixel);
    format.setProperty(richtext::TableGeometryKey, geometry);
    const auto twips = grid.widths();
    format.setProperty(
        richtext::ColumnWidthsKey,
        static_cast<int>(qHashMulti(qHashRange(twips.begin(), twips.end()), grid.left())));
    return format;
}

// A turned line longer than this is as good as a paragraph, which would wrap: it stays unturned.
constexpr qsizetype MaxTurnedLine = 200;

// The paragraph's text where it is a short line of text only, which can be turned.
std::optional<QString> turnableLine(const RtfCellParagraph& paragraph) {
    QString line;
    for (const RtfTextRun& run : paragraph.runs) {
        line += run.text;
        if (run.format.isImageFormat() || line.size() > MaxTurnedLine) {
            return std::nullopt;
        }
    }
    return line.isEmpty() ? std::nullopt : std::optional(line);
}

// Writes the paragraph's text, turned by rotation degrees (see RotatedTextObject) where it can
// be.
void writeRuns(QTextCursor& cursor, const RtfCellParagraph& paragraph, int rotation) {
    const std::optional<QString> line = rotation != 0 ? turnableLine(paragraph) : std::nullopt;
    if (line) {
        registerTextObjectHandlers(*cursor.document());
        cursor.insertText(QString(QChar::ObjectReplacementCharacter),
                          rotatedTextFormat(*line, paragraph.runs.front().format, rotation));
        return;
    }
    for (const RtfTextRun& run : paragraph.runs) {
        cursor.insertText(run.text, run.format);
    }
}

// Writes the cell's paragraphs: into the grid cell's first paragraph, or after what a cell it
// continues holds (where the empty paragraph of a cell without text adds nothing).
void writeCell(QTextTable& table, const RtfGridCell& target, const RtfTableCell& cell,
               bool continuation, int rotation) {
    const QTextTableCell gridCell = table.cellAt(target.row, target.column);
    QTextCursor cursor =
        continuation ? gridCell.lastCursorPosition() : gridCell.firstCursorPosition();
    bool first = !continuation;
    for (const RtfCellParagraph& paragraph : cell.paragraphs) {
        if (continuation && paragraph.implicit) {
            continue;
        }
        if (first) {
            cursor.setBlockFormat(paragraph.block);
            // The mark's format is all an empty paragraph has to size its line. Qt reads a
            // cell's own format at every step of laying it out: the fewer properties the better.
            if (paragraph.runs.empty()) {
                cursor.setBlockCharFormat(
                    withCellProperties(paragraph.mark, cursor.blockCharFormat()));
            }
            first = false;
        } else {
            cursor.insertBlock(paragraph.block, paragraph.mark);
        }
        writeRuns(cursor, paragraph, rotation);
    }
}

} // namespace

void RtfTableWriter::writeTable(std::span<const RtfTableRow> rows, bool pageBreakBefore,
                                bool continuesTable, RtfColumnEdges& columns) {
    const RtfTableGrid grid(rows, columns);
    columns = grid.edges();
    bool borders = false;
    for (const RtfTableRow& row : rows) {
        borders = borders || row.definition.borders;
    }
    QTextTableFormat format = tableFormat(grid, borders);
    if (pageBreakBefore) {
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    if (continuesTable) {
        format.setProperty(richtext::TableContinuesKey, true);
        // Qt keeps a paragraph between two tables: between two parts of one, it takes no room.
        QTextBlockFormat gap;
        gap.setLineHeight(0, QTextBlockFormat::FixedHeight);
        cursor_.setBlockFormat(gap);
    }
    QTextTable* table = cursor_.insertTable(static_cast<int>(rows.size()), grid.columns(), format);
    for (const RtfGridCell& cell : grid.cells()) {
        if (cell.rowSpan > 1 || cell.columnSpan > 1) {
            table->mergeCells(cell.row, cell.column, cell.rowSpan, cell.columnSpan);
        }
    }
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto& cells = rows[row].cells;
        const auto& definitions = rows[row].definition.cells;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const RtfCellPlace place = grid.place(row, i);
            const int rotation = i < definitions.size() ? definitions[i].rotation : 0;
            writeCell(*table, grid.cells()[place.cell], cells[i], place.continuation, rotation);
        }
    }
    cursor_.movePosition(QTextCursor::End);
    if (continuesTable) {
        cursor_.setBlockFormat(QTextBlockFormat()); // not the gap's
    }
}

void RtfTableWriter::writeParagraphs(std::span<const RtfTableRow> rows, bool pageBreakBefore,
                                     bool newBlock, RtfColumnEdges& columns) {
    const RtfTableGrid grid(rows, columns);
    columns = grid.edges();
    std::vector<int> starts; // where each column starts, twips
    int x = grid.left();
    for (const int width : grid.widths()) {
        starts.push_back(x);
        x += width;
    }
    for (std::size_t row = 0; row < rows.size(); ++row) {
        writeRow(grid, starts, row, rows[row], pageBreakBefore || rows[row].pageBreakBefore,
                 newBlock || row > 0);
        pageBreakBefore = false;
    }
}

void RtfTableWriter::writeRow(const RtfTableGrid& grid, const std::vector<int>& starts,
                              std::size_t index, const RtfTableRow& row, bool pageBreakBefore,
                              bool newBlock) {
    const auto columnOf = [&](std::size_t cell) {
        return grid.cells()[grid.place(index, cell).cell].column;
    };
    const int base = starts[static_cast<std::size_t>(columnOf(0))];
    QList<QTextOption::Tab> tabs;
    for (std::size_t cell = 1; cell < row.cells.size(); ++cell) {
        const int column = columnOf(cell);
        if (column != columnOf(cell - 1)) {
            const int start = starts[static_cast<std::size_t>(column)];
            // A left tab stop makes Qt measure all the text after each tab of the line, which
            // costs the square of the row's cells; a delimiter tab whose delimiter the text never
            // holds (the reader drops control characters) is placed as a left one, at once.
            tabs.append(QTextOption::Tab((start - base) / TwipsPerPixel, QTextOption::DelimiterTab,
                                         QChar::Null));
        }
    }
    QTextBlockFormat format;
    format.setLayoutDirection(Qt::LeftToRight); // the columns run left to right, as the grid
    const int indent = base + static_cast<int>(CellPadding * TwipsPerPixel);
    format.setLeftMargin(indent / TwipsPerPixel);
    format.setProperty(richtext::LeftMarginTwips, indent);
    format.setTabPositions(tabs);
    if (pageBreakBefore) {
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    const auto& first = row.cells.front().paragraphs;
    const QTextCharFormat mark = first.empty() ? QTextCharFormat() : first.front().mark;
    if (newBlock) {
        cursor_.insertBlock(format, mark);
    } else {
        cursor_.setBlockFormat(format);
        cursor_.setBlockCharFormat(mark);
    }
    for (std::size_t cell = 0; cell < row.cells.size(); ++cell) {
        if (cell > 0) {
            cursor_.insertText(columnOf(cell) != columnOf(cell - 1) ? QStringLiteral("\t")
                                                                    : QStringLiteral(" "));
        }
        bool separate = false;
        for (const RtfCellParagraph& paragraph : row.cells[cell].paragraphs) {
            for (const RtfTextRun& run : paragraph.runs) {
                if (separate) {
                    cursor_.insertText(
                        QStringLiteral(" ")); // in the text's format, not a picture's
                    separate = false;
                }
                cursor_.insertText(run.text, run.format);
            }
            separate = separate || !paragraph.runs.empty();
        }
    }
}

} // namespace qtbackend
