#include "platform/qt/richtext/RtfTableRows.h"

#include <utility>

namespace qtbackend {

void RtfTableRows::insertText(const QString& text, const QTextCharFormat& format) {
    openParagraph().runs.push_back({text, format});
}

void RtfTableRows::endParagraph(const QTextBlockFormat& block, const QTextCharFormat& mark) {
    RtfCellParagraph& paragraph = openParagraph();
    paragraph.block = block;
    paragraph.mark = mark;
    paragraph.ended = true;
}

void RtfTableRows::closeParagraph(const QTextBlockFormat& block, const QTextCharFormat& mark) {
    if (open_.cells.empty() || open_.cells.back().closed) {
        return;
    }
    const auto& paragraphs = open_.cells.back().paragraphs;
    if (!paragraphs.empty() && !paragraphs.back().ended) {
        endParagraph(block, mark);
    }
}

void RtfTableRows::endCell(const QTextBlockFormat& block, const QTextCharFormat& mark) {
    RtfTableCell& cell = openCell();
    // A cell whose last paragraph a paragraph mark ended gets no empty paragraph of its own.
    if (cell.paragraphs.empty()) {
        cell.paragraphs.push_back({{}, block, mark, true, true});
    } else if (!cell.paragraphs.back().ended) {
        endParagraph(block, mark);
    }
    cell.closed = true;
}

void RtfTableRows::endRow(const RtfRowDefinition& definition) {
    if (open_.cells.empty()) {
        return; // a row mark without cells, or a second one: no row
    }
    open_.definition = definition;
    cellCount_ += open_.cells.size();
    rows_.push_back(std::move(open_));
    open_ = RtfTableRow{};
    open_.pageBreakBefore = breakNextRow_;
    breakNextRow_ = false;
}

void RtfTableRows::breakPage() {
    if (open_.cells.empty()) {
        open_.pageBreakBefore = true;
    } else {
        breakNextRow_ = true;
    }
}

std::vector<RtfTableRow> RtfTableRows::takeEndedRows() {
    cellCount_ = 0;
    return std::exchange(rows_, {});
}

std::vector<RtfTableRow> RtfTableRows::takeAll(const RtfRowDefinition& definition,
                                               bool& pageBreakAfter) {
    endRow(definition);
    pageBreakAfter = open_.pageBreakBefore || breakNextRow_;
    open_ = RtfTableRow{};
    breakNextRow_ = false;
    return takeEndedRows();
}

RtfTableCell& RtfTableRows::openCell() {
    auto& cells = open_.cells;
    if (cells.size() == MaxCells && cells.back().closed) {
        // No cell of its own: the text goes on in the last one, after what it holds.
        cells.back().closed = false;
    } else if (cells.empty() || cells.back().closed) {
        cells.emplace_back();
    }
    return cells.back();
}

RtfCellParagraph& RtfTableRows::openParagraph() {
    auto& paragraphs = openCell().paragraphs;
    if (paragraphs.empty() || paragraphs.back().ended) {
        paragraphs.emplace_back();
    }
    return paragraphs.back();
}

} // namespace qtbackend
