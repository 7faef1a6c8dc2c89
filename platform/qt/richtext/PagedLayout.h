#pragma once

#include <QSize>
#include <vector>

class QPaintDevice;
class QPainter;
class QTextDocument;

namespace qtbackend {

// A document laid out once against one target device at one text-area size (device pixels), and
// cut into pages of that height. Positions count as QTextDocument positions: every paragraph
// break, table cell and table boundary is one character.
class PagedLayout {
public:
    PagedLayout(QTextDocument& document, QPaintDevice& target, QSize areaPixels);
    ~PagedLayout();
    PagedLayout(const PagedLayout&) = delete;
    PagedLayout& operator=(const PagedLayout&) = delete;

    // Whether this layout serves a target with these metrics and this area.
    bool fits(const QPaintDevice& target, QSize areaPixels) const;
    // Keeps the layout but measures on another device of the same metrics from now on.
    void retarget(QPaintDevice& target);

    int pageCount() const { return static_cast<int>(pageStarts_.size()) - 1; }
    // The page that holds position; positions past the end belong to the last page.
    int pageOf(int position) const;
    // The first position of the page after page: where the next page begins, or the text length.
    int pageEnd(int page) const { return pageStarts_[page + 1]; }

    // Draws page from position on: the part of the page from the line that holds position down to
    // the page's foot, with its top-left corner at the painter's origin. The painter's unit is
    // one target pixel.
    void drawPage(QPainter& painter, int page, int position) const;

private:
    struct Line {
        int position; // of the line's first character
        double top;   // in the document, target pixels
        int page;
    };

    void collectLines();
    double viewTop(int page, int position) const;

    QTextDocument& document_;
    QPaintDevice* target_;
    QSize area_;
    int dpiX_;
    int dpiY_;
    std::vector<Line> lines_;     // in position order
    std::vector<int> pageStarts_; // the first position of each page, then the text length
};

} // namespace qtbackend
