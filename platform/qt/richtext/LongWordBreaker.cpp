#include "platform/qt/richtext/LongWordBreaker.h"

#include <QTextBoundaryFinder>

namespace qtbackend {

namespace {

constexpr QChar ZeroWidthSpace(0x200B);

// The length of the longest run of characters that are not white space, counting the first one
// on from carried.
qsizetype longestRunWithoutSpace(QStringView text, qsizetype carried) {
    qsizetype longest = 0;
    qsizetype run = carried;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

// Whether a break may go between text[index - 1] and text[index]: never inside a surrogate pair
// or before a combining mark.
bool mayBreakBefore(QStringView text, qsizetype index) {
    if (index >= text.size()) {
        return true;
    }
    const QChar next = text[index];
    return !next.isLowSurrogate() && !next.isMark();
}

} // namespace

bool LongWordBreaker::holdsLongRun(QStringView text) {
    // Most lines are too short to hold one, and most longer ones have spaces often enough.
    if (text.size() <= MaxUnbrokenRun || longestRunWithoutSpace(text, 0) <= MaxUnbrokenRun) {
        return false;
    }
    const QString copy = text.toString();
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, copy);
    qsizetype previous = 0;
    for (qsizetype next = lines.toNextBoundary(); next >= 0; next = lines.toNextBoundary()) {
        if (next - previous > MaxUnbrokenRun) {
            return true;
        }
        previous = next;
    }
    return false;
}

void LongWordBreaker::append(QString& out, QStringView text) {
    // The common case, text with spaces in every thousand characters, costs one scan.
    if (longestRunWithoutSpace(text, run_) <= MaxUnbrokenRun) {
        out.append(text);
        const qsizetype lastSpace = [&] {
            for (qsizetype i = text.size() - 1; i >= 0; --i) {
                if (text[i].isSpace()) {
                    return i;
                }
            }
            return qsizetype{-1};
        }();
        run_ = lastSpace < 0 ? run_ + text.size() : text.size() - lastSpace - 1;
        return;
    }
    appendBreaking(out, text);
}

void LongWordBreaker::appendBreaking(QString& out, QStringView text) {
    const QString copy = text.toString();
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, copy);
    out.reserve(out.size() + 2 * text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // The text's own start is no opportunity: it may continue a run.
        lines.setPosition(i);
        if (i > 0 && lines.isAtBoundary()) {
            run_ = 0;
        }
        out.append(text[i]);
        ++run_;
        if (run_ > MaxUnbrokenRun && run_ % BreakEvery == 0 && mayBreakBefore(text, i + 1)) {
            out.append(ZeroWidthSpace);
        }
    }
}

} // namespace qtbackend
