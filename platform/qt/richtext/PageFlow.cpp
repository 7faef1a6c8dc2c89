#include "platform/qt/richtext/PageFlow.h"

#include <algorithm>
#include <cmath>

#include <QGuiApplication>
#include <QPaintDevice>
#include <QScreen>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextObject>
#include <QTextTable>

#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/TableHeightBounds.h"
#include "platform/qt/richtext/TableWindow.h"

namespace qtbackend {

namespace {

using Fixed = PageFlow::Fixed;

// Tables are laid out where Qt's coordinates reach 2^25 pixels; this leaves a wide margin.
constexpr double WindowLimit = double(1 << 25) - double(1 << 21);

// As Qt's fixed point converts: truncating.
Fixed fixed(qreal value) {
    return static_cast<Fixed>(value * 64);
}

qreal real(Fixed value) {
    return static_cast<qreal>(value) / 64;
}

Fixed floorDivide(Fixed value, Fixed divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

// The resolution at which Qt's document layout takes the pixels of paragraph spacing, indents
// and fixed line heights: the screen's, as its own qt_defaultDpi() has it.
int formatDpi() {
    if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi)) {
        return 96;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 100;
}

// Left and right swap places in a right-to-left paragraph, unless they are absolute.
Qt::Alignment visualAlignment(Qt::LayoutDirection direction, Qt::Alignment alignment) {
    if (!(alignment & Qt::AlignHorizontal_Mask)) {
        alignment |= Qt::AlignLeft;
    }
    if (!(alignment & Qt::AlignAbsolute) && (alignment & (Qt::AlignLeft | Qt::AlignRight))) {
        if (direction == Qt::RightToLeft) {
            alignment ^= (Qt::AlignLeft | Qt::AlignRight);
        }
        alignment |= Qt::AlignAbsolute;
    }
    return alignment;
}

// How a line advances the flow, as Qt's document layout reckons it.
struct LineHeights {
    Fixed height;      // the advance to the next line
    Fixed bottom;      // the line's foot, below its top
    Fixed breakHeight; // what must fit above the page's foot
    Fixed adjustment;  // how far the line is drawn above its place
};

LineHeights lineHeights(const QTextBlockFormat& format, const QTextLine& line, qreal scale) {
    const qreal height = line.height();
    const qreal raw = std::ceil(line.ascent() + line.descent() + line.leading());
    LineHeights heights{fixed(format.lineHeight(raw, scale)),
                        fixed(format.lineHeight(height, scale)), fixed(height), 0};
    const int type = format.lineHeightType();
    if (type == QTextBlockFormat::FixedHeight) {
        heights.breakHeight = heights.bottom;
        heights.adjustment =
            fixed(line.ascent() + std::max(line.leading(), qreal(0))) - heights.height * 4 / 5;
    } else if (type == QTextBlockFormat::MinimumHeight) {
        heights.breakHeight = heights.bottom;
        heights.adjustment = fixed(height) - heights.height;
    }
    return heights;
}

// Sets the line's width as Qt's layout does: a line that holds a word wider than itself is broken
// anywhere, and the paragraph goes on wrapping at words only.
void fitLine(QTextLayout& layout, QTextLine& line, QTextOption& option, Fixed width,
             bool wordOrAnywhere) {
    line.setLineWidth(real(width));
    if (fixed(line.naturalTextWidth()) <= width) {
        return;
    }
    line.setLineWidth(real(width));
    if (fixed(line.naturalTextWidth()) <= width) {
        return;
    }
    if (wordOrAnywhere) {
        option.setWrapMode(QTextOption::WrapAnywhere);
        layout.setTextOption(option);
    }
    line.setLineWidth(std::max(line.naturalTextWidth(), real(width)));
    if (wordOrAnywhere) {
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
    }
}

bool isEmptyBlockBeforeTable(const QTextBlock& block, const QTextBlockFormat& format,
                             const QTextFrame::iterator& next) {
    const auto* table =
        next.atEnd() ? nullptr : qobject_cast<const QTextTable*>(next.currentFrame());
    return table != nullptr && block.length() == 1 &&
           !format.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth) &&
           !format.hasProperty(QTextFormat::BackgroundBrush) &&
           table->firstPosition() == block.position() + 1;
}

} // namespace

PageFlow::PageFlow(QTextDocument& document, QPaintDevice& target, QSize area)
    : document_(document), target_(&target), area_(area), pageHeight_(Fixed{area.height()} * 64),
      width_(Fixed{area.width()} * 64),
      scale_(static_cast<double>(target.logicalDpiY()) / formatDpi()),
      next_(document.rootFrame()->begin()), pageBottom_(pageHeight_) {}

PageFlow::~PageFlow() = default;

bool PageFlow::placeNext(bool keepGlyphs) {
    if (next_.atEnd()) {
        return false;
    }
    keepGlyphs_ = keepGlyphs;
    const QTextFrame* frame = next_.currentFrame();
    const QTextBlock block = next_.currentBlock();
    ++next_;
    if (frame == nullptr) {
        placeTopBlock(block);
    } else if (const auto* table = qobject_cast<const QTextTable*>(frame)) {
        placeTable(*table);
    } else {
        placeBlocksOf(*frame);
    }
    return true;
}

void PageFlow::retarget(QPaintDevice& target) {
    target_ = &target;
    for (Table& table : tables_) {
        table.window->retarget(target);
    }
}

void PageFlow::placeTopBlock(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) {
        newPage();
    }
    const Fixed y = y_;
    const Fixed pageBottom = pageBottom_;
    // An empty paragraph right before or after a table takes no room, as in Qt's layout.
    const bool beforeTable = isEmptyBlockBeforeTable(block, format, next_);
    const bool afterTable = !beforeTable && previousTable_ != nullptr && block.length() == 1 &&
                            previousTable_->lastPosition() == block.position() - 1;
    const qreal previousBottom = afterBlock_ ? previousFormat_.bottomMargin() : 0;
    layOutBlock(block, format, !beforeTable && !afterTable);
    if (beforeTable) {
        // Its spacing stays, in pixels as given.
        y_ = y + fixed(std::max(previousBottom, format.topMargin()));
        pageBottom_ = pageBottom;
        placeHidden(block, y);
    } else {
        if (afterTable) {
            y_ = y;
            pageBottom_ = pageBottom;
            // Beside the table's foot.
            const qreal height = block.layout()->boundingRect().height();
            placeHidden(block, previousTableBottom_ - fixed(height));
        }
        if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter) {
            newPage();
        }
    }
    paragraphPlaced(format);
}

void PageFlow::placeParagraph(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) {
        newPage();
    }
    layOutBlock(block, format, true);
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter) {
        newPage();
    }
    paragraphPlaced(format);
}

void PageFlow::paragraphPlaced(const QTextBlockFormat& format) {
    afterBlock_ = true;
    previousFormat_ = format;
    previousTable_ = nullptr;
}

void PageFlow::placeBlocksOf(const QTextFrame& frame) {
    const int last = frame.lastPosition();
    for (QTextBlock block = document_.findBlock(frame.firstPosition());
         block.isValid() && block.position() <= last; block = block.next()) {
        placeParagraph(block);
    }
    afterBlock_ = false;
}

void PageFlow::placeTable(const QTextTable& table) {
    const QTextTableFormat format = table.format();
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) {
        newPage();
    }
    const std::vector<double> bounds = rowHeightBounds(table, *target_, scale_);
    for (int row = 0; row < table.rows();) {
        const int end = rowsThatFit(bounds, row);
        if (end == row) {
            placeRowAsParagraphs(table, row);
            ++row;
        } else {
            placeRows(table, row, end);
            row = end;
        }
    }
    previousTableBottom_ = y_;
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter) {
        newPage();
    }
    afterBlock_ = false;
    previousTable_ = &table;
}

int PageFlow::rowsThatFit(const std::vector<double>& bounds, int firstRow) const {
    // From the page's top: the rows may all move on to the next page.
    double height = real(y_ - Fixed{pageOf(y_)} * pageHeight_) + real(pageHeight_);
    int end = firstRow;
    while (end < static_cast<int>(bounds.size()) &&
           height + bounds[static_cast<std::size_t>(end)] <= WindowLimit) {
        height += bounds[static_cast<std::size_t>(end)];
        ++end;
    }
    return end;
}

void PageFlow::placeRows(const QTextTable& table, int firstRow, int endRow) {
    const int page = pageOf(y_);
    const Fixed pageTop = Fixed{page} * pageHeight_;
    auto window =
        std::make_unique<TableWindow>(table, firstRow, endRow, real(y_ - pageTop), *target_, area_);
    for (const TableWindow::Line& line : window->lines()) {
        const Fixed top = fixed(line.top);
        // Lines that begin a page begin at its top: the tolerance absorbs rounding only.
        const Fixed after = std::max<Fixed>(0, floorDivide(top + 1, pageHeight_));
        lines_.push_back(
            {line.position, page + static_cast<int>(after), real(top - after * pageHeight_)});
    }
    const Fixed bottom = fixed(window->bottom());
    const int lastPage = page + static_cast<int>(std::max<Fixed>(0, (bottom - 1) / pageHeight_));
    const int index = static_cast<int>(tables_.size());
    for (int covered = page; covered <= lastPage; ++covered) {
        pieces_.push_back({covered, 0, QTextBlock(), index});
    }
    tables_.push_back({std::move(window), page, lastPage});
    y_ = pageTop + bottom;
    pageBottom_ = (Fixed{pageOf(y_)} + 1) * pageHeight_;
}

void PageFlow::placeRowAsParagraphs(const QTextTable& table, int row) {
    // A row taller than any window can hold: its cells' paragraphs follow one another instead.
    for (int column = 0; column < table.columns(); ++column) {
        const QTextTableCell cell = table.cellAt(row, column);
        if (cell.row() != row || cell.column() != column) {
            continue;
        }
        const int last = cell.lastPosition();
        for (QTextBlock block = document_.findBlock(cell.firstPosition());
             block.isValid() && block.position() <= last; block = block.next()) {
            placeParagraph(block);
        }
    }
    afterBlock_ = false;
}

void PageFlow::layOutBlock(const QTextBlock& block, const QTextBlockFormat& format, bool drawn) {
    if (!block.isVisible()) {
        return;
    }
    if (afterBlock_) {
        qreal margin = std::max(format.topMargin(), previousFormat_.bottomMargin());
        if (margin > 0) {
            margin *= scale_;
        }
        y_ += fixed(margin);
    }
    const Qt::LayoutDirection direction = block.textDirection();
    const bool rightToLeft = direction == Qt::RightToLeft;
    const Fixed indent = blockIndent(format);
    const Fixed left = std::max<Fixed>(0, fixed(format.leftMargin()) + (rightToLeft ? 0 : indent));
    const Fixed right =
        std::min(width_, width_ - fixed(format.rightMargin()) - (rightToLeft ? indent : 0));

    QTextOption option = document_.defaultTextOption();
    option.setTextDirection(direction);
    option.setTabs(format.tabPositions());
    const Qt::Alignment alignment = format.hasProperty(QTextFormat::BlockAlignment)
                                        ? format.alignment()
                                        : document_.defaultTextOption().alignment();
    option.setAlignment(visualAlignment(direction, alignment));
    if (format.nonBreakableLines()) {
        option.setWrapMode(QTextOption::ManualWrap);
    } else if (format.boolProperty(richtext::WrapAnywhereKey)) {
        option.setWrapMode(QTextOption::WrapAnywhere);
    }
    QTextLayout* layout = block.layout();
    layout->setTextOption(option);
    layout->setCacheEnabled(drawn && keepGlyphs_);
    layout->setPosition(QPointF());
    layOutLines(block, format, option, left, right, drawn);
}

void PageFlow::layOutLines(const QTextBlock& block, const QTextBlockFormat& format,
                           QTextOption option, Fixed left, Fixed right, bool drawn) {
    QTextLayout* layout = block.layout();
    const bool rightToLeft = option.textDirection() == Qt::RightToLeft;
    const bool wordOrAnywhere = option.wrapMode() == QTextOption::WrapAtWordBoundaryOrAnywhere;
    const Fixed textIndent = fixed(format.textIndent());
    Fixed bottom = 0;
    int lastPage = -1;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        Fixed lineLeft = left;
        Fixed lineRight = right;
        if (line.lineNumber() == 0 && rightToLeft) {
            lineRight -= textIndent;
        } else if (line.lineNumber() == 0) {
            lineLeft += textIndent;
        }
        fitLine(*layout, line, option, lineRight - lineLeft, wordOrAnywhere);
        const LineHeights heights = lineHeights(format, line, scale_);
        while (y_ + heights.breakHeight > pageBottom_ && pageHeight_ >= heights.breakHeight) {
            newPage();
        }
        const int page = pageOf(y_);
        const Fixed top = y_ - Fixed{page} * pageHeight_ - heights.adjustment;
        line.setPosition(QPointF(real(lineLeft), real(top)));
        if (drawn) {
            lines_.push_back({block.position() + line.textStart(), page, real(top)});
            pieces_.push_back({page, real(top), block, line.lineNumber()});
            lastPage = page;
        }
        bottom = y_ + heights.bottom;
        y_ += heights.height;
    }
    layout->endLayout();
    y_ = std::max(y_, bottom);
    if (lastPage >= 0 && keepGlyphs_) {
        kept_.push_back({block, lastPage});
    }
}

void PageFlow::placeHidden(const QTextBlock& block, Fixed y) {
    if (!block.isVisible()) {
        return;
    }
    const int page = pageOf(y);
    const QTextLayout* layout = block.layout();
    for (int i = 0; i < layout->lineCount(); ++i) {
        lines_.push_back({block.position() + layout->lineAt(i).textStart(), page,
                          real(y - Fixed{page} * pageHeight_)});
    }
}

PageFlow::Fixed PageFlow::blockIndent(const QTextBlockFormat& format) const {
    qreal indent = format.indent();
    if (const QTextObject* object = document_.objectForFormat(format)) {
        indent += object->format().toListFormat().indent();
    }
    if (qIsNull(indent)) {
        return 0;
    }
    return fixed(indent * scale_ * document_.indentWidth());
}

void PageFlow::newPage() {
    pageBottom_ += pageHeight_;
    y_ = std::max(y_, pageBottom_ - pageHeight_);
}

int PageFlow::pageOf(Fixed y) const {
    return static_cast<int>(floorDivide(y, pageHeight_));
}

} // namespace qtbackend
