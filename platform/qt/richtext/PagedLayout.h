#pragma once

#include <memory>
#include <vector>

#include <QFont>
#include <QSize>

#include "platform/qt/richtext/PageFlow.h"

class QPaintDevice;
class QPainter;
class QTextDocument;

namespace qtbackend {

// A document laid out once against one target device at one text-area size (device pixels), and
// cut into pages of that height. The layout goes on as far as the pages asked for need, so the
// whole cost is linear in the document's length, and every page keeps coordinates of its own,
// however long the document. Positions count as QTextDocument positions: every paragraph break,
// table cell and table boundary is one character.
class PagedLayout {
public:
    // keepGlyphs: the pages will be drawn one after the other (see keepGlyphsWhileDrawing).
    PagedLayout(QTextDocument& document, QPaintDevice& target, QSize areaPixels, bool keepGlyphs);
    ~PagedLayout();
    PagedLayout(const PagedLayout&) = delete;
    PagedLayout& operator=(const PagedLayout&) = delete;

    // Whether this layout serves a target with these metrics and this area.
    bool fits(const QPaintDevice& target, QSize areaPixels) const;
    // Keeps the layout but measures on another device of the same metrics from now on.
    void retarget(QPaintDevice& target);

    // Whether paragraphs keep their shaped glyphs from layout until their last page is drawn,
    // which spares shaping them twice. Only for callers that draw every page in turn: the glyphs
    // of a page that is never drawn stay in memory.
    void keepGlyphsWhileDrawing(bool keep) { keepGlyphs_ = keep; }

    // The page that holds position, a position inside the text.
    int pageOf(int position);
    // The first position of the page after page: where the next page begins, or the text length.
    int pageEnd(int page);

    // Draws page from position on: the part of the page from the line that holds position down to
    // the page's foot, with its top-left corner at the painter's origin. The painter's unit is
    // one target pixel.
    void drawPage(QPainter& painter, int page, int position);

private:
    // Places the next paragraph or table and notes where pages begin; false at the end.
    bool placeNext();
    std::vector<PageFlow::Piece>::const_iterator firstPiece(int page) const;
    void release(QPainter& painter, int page);
    // The top of the line that holds position on page, or minus infinity for the whole page.
    double viewTop(int page, int position) const;

    QTextDocument& document_;
    QFont defaultFont_; // the document's own, given back when printing ends
    QPaintDevice* target_;
    QSize area_;
    int dpiX_;
    int dpiY_;
    int length_;
    bool keepGlyphs_;
    std::unique_ptr<PageFlow> flow_;
    std::size_t linesSeen_ = 0;      // the flow's lines taken into pageStarts_
    std::size_t tablesReleased_ = 0; // the flow's tables whose copies are dropped
    std::vector<int> pageStarts_;    // the first position of each page seen so far
};

} // namespace qtbackend
