#include "platform/qt/richtext/PagedLayout.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace qtbackend {

PagedLayout::PagedLayout(QTextDocument& document, QPaintDevice& target, QSize areaPixels)
    : document_(document), target_(&target), area_(areaPixels), dpiX_(target.logicalDpiX()),
      dpiY_(target.logicalDpiY()) {
    // Fonts are resolved against the target, so their point sizes become its pixels.
    document_.documentLayout()->setPaintDevice(target_);
    const QSizeF pageSize(area_.width(), area_.height());
    if (document_.pageSize() == pageSize) {
        document_.markContentsDirty(0, document_.characterCount());
    } else {
        document_.setPageSize(pageSize);
    }
    // Finishes the whole layout now rather than step by step.
    document_.pageCount();
    collectLines();
}

PagedLayout::~PagedLayout() {
    // The target may go away with its print document.
    document_.documentLayout()->setPaintDevice(nullptr);
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

void PagedLayout::collectLines() {
    const QAbstractTextDocumentLayout* layout = document_.documentLayout();
    const double pageHeight = area_.height();
    int lastPage = 0;
    lines_.reserve(static_cast<std::size_t>(document_.blockCount()));
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* text = block.layout();
        if (!block.isVisible() || text == nullptr) {
            continue;
        }
        // The block's place in the document, with the offsets of the frames and cells around it.
        const double blockTop = layout->blockBoundingRect(block).top();
        for (int i = 0; i < text->lineCount(); ++i) {
            const QTextLine line = text->lineAt(i);
            const double top = blockTop + line.y();
            // Lines start at whole-pixel page tops, so a small tolerance absorbs rounding only.
            const int page = std::max(0, static_cast<int>(std::floor((top + 0.01) / pageHeight)));
            lines_.push_back({block.position() + line.textStart(), top, page});
            lastPage = std::max(lastPage, page);
        }
    }

    // A page begins with the smallest position laid out on it or after it, so that pages with no
    // line of their own (under a line taller than a page) are passed over.
    const int length = document_.characterCount() - 1;
    std::vector<int> firstOnPage(static_cast<std::size_t>(lastPage) + 1, INT_MAX);
    for (const Line& line : lines_) {
        firstOnPage[line.page] = std::min(firstOnPage[line.page], line.position);
    }
    pageStarts_.assign(firstOnPage.size() + 1, length);
    int next = length;
    for (std::size_t page = firstOnPage.size(); page-- > 0;) {
        next = std::min(next, firstOnPage[page]);
        pageStarts_[page] = next;
    }
    pageStarts_[0] = 0;
}

int PagedLayout::pageOf(int position) const {
    const auto last = pageStarts_.end() - 1;
    const auto after = std::upper_bound(pageStarts_.begin(), last, position);
    return std::max(0, static_cast<int>(after - pageStarts_.begin()) - 1);
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

void PagedLayout::drawPage(QPainter& painter, int page, int position) const {
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
