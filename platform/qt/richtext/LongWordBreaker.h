#pragma once

#include <QString>
#include <QStringView>

namespace qtbackend {

// Qt's line breaking looks ahead to the next break opportunity for every line it fills, so a
// paragraph holding a "word" of n characters costs n squared to lay out: a megabyte without a
// space takes minutes. Past MaxUnbrokenRun characters without a break opportunity, this puts a
// zero-width space after every BreakEvery characters, so that lines break within a few
// characters of where Qt would have broken the word anyway, at a cost linear in its length.
// (Not after every character: fonts without the zero-width space, DejaVu Sans Mono among them,
// take it from a fallback font, and every switch of font costs a shaping run and a text item to
// draw; plain text, all in DejaVu Sans Mono, wraps such lines at any character instead.) Text
// with spaces or with scripts that break between their characters (Chinese, Japanese) passes
// unchanged.
class LongWordBreaker {
public:
    static constexpr qsizetype MaxUnbrokenRun = 1000;
    static constexpr qsizetype BreakEvery = 8;

    // Whether text holds more than MaxUnbrokenRun characters without a break opportunity.
    static bool holdsLongRun(QStringView text);

    // Appends text to out; a run may continue from the text appended before.
    void append(QString& out, QStringView text);
    // The paragraph ended: the next text starts a new run.
    void reset() { run_ = 0; }

private:
    void appendBreaking(QString& out, QStringView text);

    qsizetype run_ = 0; // characters since the last break opportunity
};

} // namespace qtbackend
