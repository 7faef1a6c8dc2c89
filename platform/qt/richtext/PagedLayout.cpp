#include "platform/qt/richtext/PagedLayout.h"

#include <algorithm>
#include <limits>

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>

#include "platform/qt/richtext/PageFlow.h"
#include "platform/qt/richtext/TableWindow.h"

namespace qtbackend {

namespace {

// Frees what a paragraph's layout keeps for drawing. Qt frees it at the end of drawing the
// layout whole when it keeps no cache; a clip above every line draws nothing.
void releaseGlyphs(QTextLayout& layout, QPainter& painter) {
    layout.setCacheEnabled(false);
    constexpr double farAbove = -1e7;
    layout.draw(&painter, QPointF(), {}, QRectF(0, farAbove, 1, 1));
}

// The rule a paragraph asks for after itself, as Qt's document layout draws it: across the
// paragraph's width, through the middle of an empty paragraph or along the foot of its last line.
void drawTrailingRule(QPainter& painter, const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    if (!format.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth)) {
        return;
    }
    const QTextLayout& layout = *block.layout();
    double left = std::numeric_limits<double>::max();
    double right = std::numeric_limits<double>::lowest();
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        left = std::min(left, line.x());
        right = std::max(right, line.x() + std::max(line.width(), line.naturalTextWidth()));
    }
    const QTextLine last = layout.lineAt(layout.lineCount() - 1);
    const double y = block.length() == 1 ? last.y() + last.height() / 2 : last.y() + last.height();
    const double width =
        format.lengthProperty(QTextFormat::BlockTrailingHorizontalRulerWidth).value(right - left);
    const double middle = (left + right) / 2;
    painter.save();
    painter.setPen(QGuiApplication::palette().color(QPalette::Dark));
    painter.drawLine(QLineF(middle - width / 2, y, middle + width / 2, y));
    painter.restore();
}

} // namespace

PagedLayout::PagedLayout(QTextDocument& document, QPaintDevice& target, QSize areaPixels,
                         bool keepGlyphs)
    : document_(document), defaultFont_(document.defaultFont()), target_(&target),
      area_(areaPixels), dpiX_(target.logicalDpiX()), dpiY_(target.logicalDpiY()),
      length_(document.characterCount() - 1), keepGlyphs_(keepGlyphs), pageStarts_{0} {
    // The flow lays the document out alone: Qt's own layout would place it in coordinates that
    // overflow in long documents.
    document_.setLayoutEnabled(false);
    // Qt bounds inline pictures by the page size: a picture larger than the page is scaled down.
    document_.setPageSize(QSizeF(area_));
    // Fonts are resolved against the target, so their point sizes become its pixels.
    document_.documentLayout()->setPaintDevice(target_);
    // Every format's font takes the target's resolution from the default font. Qt then keeps
    // each format's font engine, where it would look the engine up again for every run of text it
    // shapes and draws (a seventh of the time of text whose format changes every few letters).
    document_.setDefaultFont(QFont(defaultFont_, target_));
    flow_ = std::make_unique<PageFlow>(document_, target, area_);
}

PagedLayout::~PagedLayout() {
    for (const PageFlow::KeptBlock& kept : flow_->keptBlocks()) {
        kept.block.layout()->setCacheEnabled(false);
    }
    // The target may go away with its print document.
    document_.documentLayout()->setPaintDevice(nullptr);
    document_.setDefaultFont(defaultFont_);
}

bool PagedLayout::fits(const QPaintDevice& target, QSize areaPixels) const {
    return target.logicalDpiX() == dpiX_ && target.logicalDpiY() == dpiY_ && areaPixels == area_;
}

void PagedLayout::retarget(QPaintDevice& target) {
    if (&target != target_) {
        target_ = &target;
        document_.documentLayout()->setPaintDevice(target_);
        flow_->retarget(target);
    }
}

bool PagedLayout::placeNext() {
    if (!flow_->placeNext(keepGlyphs_)) {
        return false;
    }
    // Positions only grow from line to line, so the first line seen on a page or beyond begins
    // that page; pages with no line of their own (under a line taller than a page) begin where
    // the next line does.
    const std::vector<PageFlow::Line>& lines = flow_->lines();
    for (; linesSeen_ < lines.size(); ++linesSeen_) {
        const PageFlow::Line& line = lines[linesSeen_];
        while (static_cast<int>(pageStarts_.size()) <= line.page) {
            pageStarts_.push_back(line.position);
        }
    }
    return true;
}

int PagedLayout::pageOf(int position) {
    const std::vector<PageFlow::Line>& lines = flow_->lines();
    while ((lines.empty() || lines.back().position <= position) && placeNext()) {
    }
    const auto after = std::upper_bound(pageStarts_.begin(), pageStarts_.end(), position);
    return std::max(0, static_cast<int>(after - pageStarts_.begin()) - 1);
}

int PagedLayout::pageEnd(int page) {
    const auto next = static_cast<std::size_t>(page) + 1;
    while (pageStarts_.size() <= next && placeNext()) {
    }
    return next < pageStarts_.size() ? pageStarts_[next] : length_;
}

double PagedLayout::viewTop(int page, int position) const {
    constexpr double wholePage = -std::numeric_limits<double>::infinity();
    if (position <= pageStarts_[static_cast<std::size_t>(page)]) {
        return wholePage;
    }
    // Formatting from inside a page starts with the line that holds the position.
    const std::vector<PageFlow::Line>& lines = flow_->lines();
    const auto after =
        std::upper_bound(lines.begin(), lines.end(), position,
                         [](int p, const PageFlow::Line& line) { return p < line.position; });
    if (after == lines.begin() || (after - 1)->page != page) {
        return wholePage;
    }
    return (after - 1)->top;
}

std::vector<PageFlow::Piece>::const_iterator PagedLayout::firstPiece(int page) const {
    const std::vector<PageFlow::Piece>& pieces = flow_->pieces();
    return std::partition_point(pieces.begin(), pieces.end(),
                                [page](const PageFlow::Piece& piece) { return piece.page < page; });
}

void PagedLayout::drawPage(QPainter& painter, int page, int position) {
    pageEnd(page); // lays out the whole page
    const double top = viewTop(page, position);
    const double clipTop = std::max(0.0, top);
    painter.save();
    painter.setClipRect(QRectF(0, clipTop, area_.width(), area_.height() - clipTop),
                        Qt::IntersectClip);
    // Text without a colour of its own is black on paper, whatever the desktop's palette says.
    painter.setPen(QColor(Qt::black));
    const std::vector<PageFlow::Piece>& pieces = flow_->pieces();
    for (auto piece = firstPiece(page); piece != pieces.end() && piece->page == page; ++piece) {
        if (!piece->block.isValid()) {
            PageFlow::Table& table = flow_->table(piece->index);
            table.window->draw(painter, page - table.firstPage, clipTop);
        } else if (piece->top >= top) {
            // Only the page's own lines: one beyond its edges would be clipped away on paper but
            // still be in its output, where a text extractor finds it twice.
            piece->block.layout()->lineAt(piece->index).draw(&painter, QPointF());
            if (piece->index == piece->block.layout()->lineCount() - 1) {
                drawTrailingRule(painter, piece->block);
            }
        }
    }
    painter.restore();
    release(painter, page);
}

void PagedLayout::release(QPainter& painter, int page) {
    // Paragraphs that end on this page keep nothing more for drawing.
    const std::vector<PageFlow::Piece>& pieces = flow_->pieces();
    for (auto piece = firstPiece(page); piece != pieces.end() && piece->page == page; ++piece) {
        if (piece->block.isValid() && piece->index == piece->block.layout()->lineCount() - 1) {
            releaseGlyphs(*piece->block.layout(), painter);
        }
    }
    std::deque<PageFlow::KeptBlock>& kept = flow_->keptBlocks();
    while (!kept.empty() && kept.front().lastPage <= page) {
        kept.front().block.layout()->setCacheEnabled(false);
        kept.pop_front();
    }
    // Tables come in page order; those done with drop their copies.
    for (; tablesReleased_ < flow_->tableCount() &&
           flow_->table(static_cast<int>(tablesReleased_)).lastPage <= page;
         ++tablesReleased_) {
        flow_->table(static_cast<int>(tablesReleased_)).window->release();
    }
}

} // namespace qtbackend
