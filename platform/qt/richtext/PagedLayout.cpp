#include "platform/qt/richtext/PagedLayout.h"

#include <algorithm>
#include <cmath>

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>

namespace qtbackend {

namespace {

// How far ahead of the layout, in characters, blocks are told to keep their glyphs: well beyond
// the step by which Qt lays a document out on demand.
constexpr int GlyphWindow = 32768;

} // namespace

PagedLayout::PagedLayout(QTextDocument& document, QPaintDevice& target, QSize areaPixels,
                         bool keepGlyphs)
    : document_(document), target_(&target), area_(areaPixels), dpiX_(target.logicalDpiX()),
      dpiY_(target.logicalDpiY()), length_(document.characterCount() - 1), keepGlyphs_(keepGlyphs),
      next_(document.begin()), pageStarts_{0}, keepEnd_(document.begin()) {
    // Fonts are resolved against the target, so their point sizes become its pixels.
    document_.documentLayout()->setPaintDevice(target_);
    keepGlyphsAhead();
    // A new page size starts a fresh layout that Qt carries out as far as it is asked to.
    if (document_.pageSize() == QSizeF(area_)) {
        document_.setPageSize(QSizeF());
    }
    document_.setPageSize(QSizeF(area_));
}

PagedLayout::~PagedLayout() {
    // The target may go away with its print document.
    document_.documentLayout()->setPaintDevice(nullptr);
    for (QTextBlock& block : keeping_) {
        block.layout()->setCacheEnabled(false);
    }
}

bool PagedLayout::fits(const QPaintDevice& target, QSize areaPixels) const {
    return target.logicalDpiX() == dpiX_ && target.logicalDpiY() == dpiY_ && areaPixels == area_;
}

void PagedLayout::retarget(QPaintDevice& target) {
    if (&target != target_) {
        target_ = &target;
        document_.documentLayout()->setPaintDevice(target_);
    }
}

bool PagedLayout::collectNextBlock() {
    if (!next_.isValid()) {
        return false;
    }
    keepGlyphsAhead();
    const QTextBlock block = next_;
    next_ = next_.next();
    const QTextLayout* text = block.layout();
    if (!block.isVisible() || text == nullptr) {
        return true;
    }
    // Lays the document out up to this block, and places it with the frames and cells around it.
    const double blockTop = document_.documentLayout()->blockBoundingRect(block).top();
    const double pageHeight = area_.height();
    for (int i = 0; i < text->lineCount(); ++i) {
        const QTextLine line = text->lineAt(i);
        const double top = blockTop + line.y();
        // Lines start at whole-pixel page tops, so a small tolerance absorbs rounding only.
        const int page = std::max(0, static_cast<int>(std::floor((top + 0.01) / pageHeight)));
        const int position = block.position() + line.textStart();
        lines_.push_back({position, top, page});
        // Positions only grow from block to block, so the first line seen on a page or beyond
        // begins that page; pages with no line of their own (under a line taller than a page)
        // begin where the next line does.
        while (static_cast<int>(pageStarts_.size()) <= page) {
            pageStarts_.push_back(position);
        }
    }
    return true;
}

int PagedLayout::pageOf(int position) {
    while ((lines_.empty() || lines_.back().position <= position) && collectNextBlock()) {
    }
    const auto after = std::upper_bound(pageStarts_.begin(), pageStarts_.end(), position);
    return std::max(0, static_cast<int>(after - pageStarts_.begin()) - 1);
}

int PagedLayout::pageEnd(int page) {
    const auto next = static_cast<std::size_t>(page) + 1;
    while (pageStarts_.size() <= next && collectNextBlock()) {
    }
    return next < pageStarts_.size() ? pageStarts_[next] : length_;
}

// Shaping a paragraph is the dearest part of both laying it out and drawing it: blocks about to
// be laid out keep their glyphs until their last page is drawn, which frees them.
void PagedLayout::keepGlyphsAhead() {
    if (!keepGlyphs_) {
        return;
    }
    const int limit = (next_.isValid() ? next_.position() : length_) + GlyphWindow;
    while (keepEnd_.isValid() && keepEnd_.position() < limit) {
        keepEnd_.layout()->setCacheEnabled(true);
        keeping_.push_back(keepEnd_);
        keepEnd_ = keepEnd_.next();
    }
}

void PagedLayout::releaseGlyphsUpTo(int page) {
    const int collected = next_.isValid() ? next_.position() : length_ + 1;
    while (!keeping_.empty() && keeping_.front().position() < collected) {
        const QTextBlock& block = keeping_.front();
        const int end = block.position() + block.length();
        const auto after =
            std::upper_bound(lines_.begin(), lines_.end(), end - 1,
                             [](int p, const Line& line) { return p < line.position; });
        const bool hasLines = after != lines_.begin() && (after - 1)->position >= block.position();
        if (hasLines && (after - 1)->page > page) {
            break;
        }
        block.layout()->setCacheEnabled(false);
        keeping_.pop_front();
    }
}

double PagedLayout::viewTop(int page, int position) const {
    const double pageTop = static_cast<double>(page) * area_.height();
    if (position <= pageStarts_[page]) {
        return pageTop;
    }
    // Formatting from inside a page starts with the line that holds the position.
    const auto after = std::upper_bound(lines_.begin(), lines_.end(), position,
                                        [](int p, const Line& line) { return p < line.position; });
    if (after == lines_.begin() || (after - 1)->page != page) {
        return pageTop;
    }
    return std::max(pageTop, (after - 1)->top);
}

void PagedLayout::drawPage(QPainter& painter, int page, int position) {
    pageEnd(page); // lays out the whole page
    releaseGlyphsUpTo(page);
    const double top = viewTop(page, position);
    const double bottom = static_cast<double>(page + 1) * area_.height();
    const QRectF view(0, top, area_.width(), bottom - top);

    painter.save();
    painter.translate(0, -top);
    painter.setClipRect(view, Qt::IntersectClip);
    QAbstractTextDocumentLayout::PaintContext context;
    // Qt draws every line that touches the clip, even one that only touches its edge; a line that
    // begins the next page must not go into this one's output, clipped away but still there.
    constexpr double edge = 0.5;
    context.clip = view.adjusted(0, edge, 0, -edge);
    // Text without a colour of its own is black on paper, whatever the desktop's palette says.
    context.palette.setColor(QPalette::Text, Qt::black);
    document_.documentLayout()->draw(&painter, context);
    painter.restore();
}

} // namespace qtbackend
