#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include <QSize>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextFrame>
#include <QTextOption>

class QPaintDevice;
class QTextDocument;
class QTextTable;

namespace qtbackend {

class TableWindow;

// A document's content put on pages of one text area, item after item of its top frame, the way
// Qt's document layout puts it, but with coordinates that never leave a page. Qt's layout keeps
// positions in 26.6 fixed point from the document's top, which overflows past 2^25 device pixels
// (about 2,600 A4 pages at 1200 dpi): here the page number is kept apart and each line gets a
// position on its own page. Paragraphs are laid out line by line as Qt lays them out; tables go
// to documents of their own (TableWindow), small enough to stay in range.
class PageFlow {
public:
    // Lengths in 1/64 target pixel, as Qt's layout measures them.
    using Fixed = std::int64_t;

    struct Line {
        int position; // of the line's first character
        int page;
        double top; // below the page's top, target pixels
    };
    // Something a page draws: a line of a paragraph, or the page's part of a table.
    struct Piece {
        int page;
        double top;       // below the page's top, for a line
        QTextBlock block; // the paragraph; invalid for a table
        int index;        // the line in the paragraph, or the table
    };
    struct Table {
        std::unique_ptr<TableWindow> window;
        int firstPage;
        int lastPage;
    };
    // A paragraph that keeps its shaped glyphs after layout, and the last page it is on.
    struct KeptBlock {
        QTextBlock block;
        int lastPage;
    };

    PageFlow(QTextDocument& document, QPaintDevice& target, QSize area);
    ~PageFlow();
    PageFlow(const PageFlow&) = delete;
    PageFlow& operator=(const PageFlow&) = delete;

    // Places the next item of the document (a paragraph or a table), adding its lines in
    // position order and its pieces in page order; false at the end of the document. With
    // keepGlyphs, a paragraph keeps the glyphs shaped for its layout to be drawn with.
    bool placeNext(bool keepGlyphs);

    const std::vector<Line>& lines() const { return lines_; }
    const std::vector<Piece>& pieces() const { return pieces_; }
    Table& table(int index) { return tables_[static_cast<std::size_t>(index)]; }
    std::size_t tableCount() const { return tables_.size(); }
    std::deque<KeptBlock>& keptBlocks() { return kept_; }
    void retarget(QPaintDevice& target);

private:
    void placeTopBlock(const QTextBlock& block);
    void placeTable(const QTextTable& table);
    void placeRows(const QTextTable& table, int firstRow, int endRow);
    void placeRowAsParagraphs(const QTextTable& table, int row);
    void placeBlocksOf(const QTextFrame& frame);
    void placeParagraph(const QTextBlock& block);
    // The paragraph in format is placed: the item after it follows a paragraph.
    void paragraphPlaced(const QTextBlockFormat& format);
    void layOutBlock(const QTextBlock& block, const QTextBlockFormat& format, bool drawn);
    void layOutLines(const QTextBlock& block, const QTextBlockFormat& format, QTextOption option,
                     Fixed left, Fixed right, bool drawn);
    void placeHidden(const QTextBlock& block, Fixed y);
    int rowsThatFit(const std::vector<double>& bounds, int firstRow) const;
    Fixed blockIndent(const QTextBlockFormat& format) const;
    void newPage();
    int pageOf(Fixed y) const;

    QTextDocument& document_;
    QPaintDevice* target_;
    QSize area_;
    Fixed pageHeight_;
    Fixed width_;
    double scale_; // the target's resolution over the one Qt's formats take pixels in
    bool keepGlyphs_ = false;

    QTextFrame::iterator next_;
    Fixed y_ = 0; // from the document's top
    Fixed pageBottom_;
    bool afterBlock_ = false; // the item before is a paragraph, whose format is previousFormat_
    QTextBlockFormat previousFormat_;
    const QTextTable* previousTable_ = nullptr; // the item before, when it is a table
    Fixed previousTableBottom_ = 0;

    std::vector<Line> lines_;
    std::vector<Piece> pieces_;
    std::vector<Table> tables_;
    std::deque<KeptBlock> kept_;
};

} // namespace qtbackend
