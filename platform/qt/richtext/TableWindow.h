#pragma once

#include <memory>
#include <utility>
#include <vector>

#include <QSize>
#include <QTextBlock>

class QPaintDevice;
class QPainter;
class QTextDocument;
class QTextTable;

namespace qtbackend {

// Rows of a table copied into a document of their own and laid out there by Qt's document layout,
// starting at the offset the page flow gives them below the top of their first page. Coordinates
// in the copy stay within the rows' own height, however far down the whole document they are.
// The copy can be released once drawn; drawing again makes it anew, laid out the same way.
class TableWindow {
public:
    struct Line {
        int position; // of the line's first character, in the table's own document
        double top;   // from the top of the first page, target pixels
    };

    // Rows [firstRow, endRow) of table, offset target pixels below the first page's top.
    TableWindow(const QTextTable& table, int firstRow, int endRow, double offset,
                QPaintDevice& target, QSize area);
    ~TableWindow();
    TableWindow(const TableWindow&) = delete;
    TableWindow& operator=(const TableWindow&) = delete;

    // The rows' lines in position order.
    const std::vector<Line>& lines() const { return lines_; }
    // Where the rows end, from the top of the first page.
    double bottom() const { return bottom_; }

    // Draws the rows' part of the page-th page after the first, from viewTop (pixels below the
    // page's top) down; the painter's origin is the page's top-left corner.
    void draw(QPainter& painter, int page, double viewTop);
    void release();
    void retarget(QPaintDevice& target);

private:
    void build();
    void copyRows(QTextDocument& copy);
    void collectLines();

    const QTextTable& source_;
    int firstRow_;
    int endRow_;
    double offset_;
    QPaintDevice* target_;
    QSize area_;
    std::unique_ptr<QTextDocument> copy_;
    // Blocks of the copy beside the positions of the blocks they copy, until laid out.
    std::vector<std::pair<QTextBlock, int>> copied_;
    std::vector<Line> lines_;
    double bottom_ = 0;
};

} // namespace qtbackend
