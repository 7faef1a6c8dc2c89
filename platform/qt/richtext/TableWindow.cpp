#include "platform/qt/richtext/TableWindow.h"

#include <algorithm>
#include <utility>

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>

#include "platform/qt/richtext/TextObjectHandlers.h"

namespace qtbackend {

namespace {

std::vector<QTextBlock> blocksOf(const QTextDocument& document, const QTextTableCell& cell) {
    std::vector<QTextBlock> blocks;
    const int last = cell.lastPosition();
    for (QTextBlock block = document.findBlock(cell.firstPosition());
         block.isValid() && block.position() <= last; block = block.next()) {
        blocks.push_back(block);
    }
    return blocks;
}

// Paragraph after paragraph, run after run, each with its own formats.
void copyBlocks(QTextCursor& cursor, const std::vector<QTextBlock>& blocks) {
    bool first = true;
    for (const QTextBlock& block : blocks) {
        if (first) {
            cursor.setBlockFormat(block.blockFormat());
        } else {
            cursor.insertBlock(block.blockFormat(), block.charFormat());
        }
        first = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) {
                continue;
            }
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                // The picture goes with its name: the copy has no resources of its own.
                const QUrl name(format.toImageFormat().name());
                cursor.document()->addResource(
                    QTextDocument::ImageResource, name,
                    block.document()->resource(QTextDocument::ImageResource, name));
            }
            cursor.insertText(fragment.text(), format);
        }
    }
}

struct CellPair {
    QTextTableCell copy;
    QTextTableCell source;
    bool content; // whether the source cell begins in these rows and its text goes here
};

} // namespace

TableWindow::TableWindow(const QTextTable& table, int firstRow, int endRow, double offset,
                         QPaintDevice& target, QSize area)
    : source_(table), firstRow_(firstRow), endRow_(endRow), offset_(offset), target_(&target),
      area_(area) {
    build();
}

TableWindow::~TableWindow() = default;

void TableWindow::build() {
    const QTextDocument& source = *source_.document();
    auto copy = std::make_unique<QTextDocument>();
    copy->setUndoRedoEnabled(false);
    copy->setDocumentMargin(0);
    copy->setDefaultFont(source.defaultFont());
    copy->setDefaultTextOption(source.defaultTextOption());
    copy->setIndentWidth(source.indentWidth());
    copy->setUseDesignMetrics(source.useDesignMetrics());
    registerTextObjectHandlers(source, *copy);
    copyRows(*copy);
    // Laid out once, against the target at the page's size: fonts are resolved against the target,
    // as in the rest of the document.
    copy->setPageSize(QSizeF(area_));
    copy->setLayoutEnabled(false);
    copy->documentLayout()->setPaintDevice(target_);
    copy->setLayoutEnabled(true);
    copy_ = std::move(copy);
    if (lines_.empty()) {
        collectLines();
    }
}

void TableWindow::copyRows(QTextDocument& copy) {
    QTextCursor cursor(&copy);
    cursor.beginEditBlock();
    // An empty paragraph right before a table takes no room but its top margin, in pixels as
    // given: the rows begin offset_ below the first page's top, where the flow has placed them.
    QTextBlockFormat spacer;
    spacer.setTopMargin(offset_);
    cursor.setBlockFormat(spacer);
    QTextTableFormat format = source_.format();
    format.setPageBreakPolicy(QTextFormat::PageBreak_Auto); // the flow has broken the page
    QTextTable* table = cursor.insertTable(endRow_ - firstRow_, source_.columns(), format);

    std::vector<CellPair> cells;
    for (int row = firstRow_; row < endRow_; ++row) {
        for (int column = 0; column < source_.columns(); ++column) {
            const QTextTableCell cell = source_.cellAt(row, column);
            if (cell.column() != column || (cell.row() != row && row != firstRow_)) {
                continue; // covered by a cell already copied
            }
            const int rowSpan = std::min(cell.row() + cell.rowSpan(), endRow_) - row;
            if (rowSpan > 1 || cell.columnSpan() > 1) {
                table->mergeCells(row - firstRow_, column, rowSpan, cell.columnSpan());
            }
            cells.push_back({table->cellAt(row - firstRow_, column), cell, cell.row() == row});
        }
    }
    const QTextDocument& source = *source_.document();
    for (CellPair& cell : cells) {
        cell.copy.setFormat(cell.source.format());
        if (cell.content) {
            QTextCursor into = cell.copy.firstCursorPosition();
            copyBlocks(into, blocksOf(source, cell.source));
        }
    }
    cursor.endEditBlock();

    copied_.clear();
    if (!lines_.empty()) {
        return; // laid out before: only drawing needs the copy
    }
    for (const CellPair& cell : cells) {
        if (!cell.content) {
            continue;
        }
        const std::vector<QTextBlock> from = blocksOf(source, cell.source);
        const std::vector<QTextBlock> to = blocksOf(copy, cell.copy);
        for (std::size_t i = 0; i < from.size() && i < to.size(); ++i) {
            copied_.emplace_back(to[i], from[i].position());
        }
    }
}

void TableWindow::collectLines() {
    QAbstractTextDocumentLayout* layout = copy_->documentLayout();
    for (const auto& [block, sourcePosition] : copied_) {
        const double top = layout->blockBoundingRect(block).top();
        const QTextLayout* text = block.layout();
        for (int i = 0; i < text->lineCount(); ++i) {
            const QTextLine line = text->lineAt(i);
            lines_.push_back({sourcePosition + line.textStart(), top + line.y()});
        }
    }
    copied_.clear();
    // The empty paragraph after a table is put beside its foot: its bottom is the table's.
    bottom_ = layout->blockBoundingRect(copy_->lastBlock()).bottom();
}

void TableWindow::draw(QPainter& painter, int page, double viewTop) {
    if (copy_ == nullptr) {
        build();
    }
    const double pageTop = static_cast<double>(page) * area_.height();
    const QRectF view(0, pageTop + viewTop, area_.width(), area_.height() - viewTop);
    painter.save();
    painter.translate(0, -pageTop);
    painter.setClipRect(view, Qt::IntersectClip);
    QAbstractTextDocumentLayout::PaintContext context;
    // Qt draws every line that touches the clip, even one that only touches its edge.
    constexpr double edge = 0.5;
    context.clip = view.adjusted(0, edge, 0, -edge);
    context.palette.setColor(QPalette::Text, Qt::black);
    copy_->documentLayout()->draw(&painter, context);
    painter.restore();
}

void TableWindow::release() {
    copy_.reset();
}

void TableWindow::retarget(QPaintDevice& target) {
    target_ = &target;
    if (copy_ != nullptr) {
        copy_->documentLayout()->setPaintDevice(target_);
    }
}

} // namespace qtbackend
