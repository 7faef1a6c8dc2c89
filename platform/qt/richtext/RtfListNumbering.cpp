#include "platform/qt/richtext/RtfListNumbering.h"

#include <algorithm>

#include "platform/qt/richtext/RtfListTable.h"
#include "platform/qt/richtext/RtfNumberFormat.h"

namespace qtbackend {

namespace {

constexpr std::size_t Levels = 9;

// Legal numbering writes the numbers of the levels above in decimal.
RtfNumberFormat shownFormat(const RtfListLevel& level, bool legal) {
    using F = RtfNumberFormat;
    if (!legal || level.format == F::DecimalZero || level.format == F::Bullet ||
        level.format == F::NoNumber) {
        return level.format;
    }
    return F::Decimal;
}

} // namespace

QString listNumberFollower(std::int32_t follow) {
    switch (follow) {
    case 1:
        return QStringLiteral(" ");
    case 2:
        return {};
    default:
        return QStringLiteral("\t");
    }
}

RtfListNumber RtfListNumbering::next(const RtfListDefinition& list, std::int32_t level) {
    const std::size_t index = list.simple ? 0 : static_cast<std::size_t>(std::clamp(level, 0, 8));
    if (index >= list.levels.size()) {
        return {};
    }
    const std::vector<RtfListLevel>& levels = list.levels;
    Counters& counters = lists_[list.counterKey];
    counters.value[index] = counters.used[index] ? counters.value[index] + 1 : levels[index].start;
    counters.used[index] = true;
    // A level skipped on the way down counts as used at its start, as in Word: the next item at
    // that level is its second.
    for (std::size_t above = 0; above < index && above < levels.size(); ++above) {
        if (!counters.used[above]) {
            counters.value[above] = levels[above].start;
            counters.used[above] = true;
        }
    }
    for (std::size_t below = index + 1; below < Levels; ++below) {
        if (below >= levels.size() || !levels[below].noRestart) {
            counters.used[below] = false;
        }
    }

    const RtfListLevel& item = levels[index];
    QString text;
    bool exact = true;
    for (const QChar c : item.text) {
        const std::size_t shown = c.unicode();
        if (shown >= Levels) {
            text += c;
        } else if (shown < levels.size()) {
            const std::int64_t value =
                counters.used[shown] ? counters.value[shown] : levels[shown].start;
            const RtfNumberFormat format = shownFormat(levels[shown], item.legal && shown < index);
            text += formatListNumber(value, format);
            exact = exact && knownNumberFormat(format);
        }
    }
    return {text + listNumberFollower(item.follow), item.font, item.halfPoints, exact};
}

RtfListNumber RtfListNumbering::next(const RtfParagraphNumbering& numbering,
                                     const RtfSectionNumbering& sectionLevels) {
    const std::int32_t level = numbering.level;
    const bool body = level == RtfParagraphNumbering::Body;
    if (level == RtfParagraphNumbering::Continue) {
        return {}; // counts on with the next numbered paragraph, shows nothing
    }
    if (!body) {
        bodyRunning_ = false;
    }
    QString number;
    if (body) {
        body_ = bodyRunning_ ? body_ + 1 : numbering.start;
        bodyRunning_ = true;
        number = formatListNumber(body_, static_cast<RtfNumberFormat>(numbering.format));
    } else if (level >= 1 && level <= static_cast<std::int32_t>(Levels)) {
        const auto index = static_cast<std::size_t>(level - 1);
        outline_.value[index] = outline_.used[index] ? outline_.value[index] + 1 : numbering.start;
        outline_.used[index] = true;
        std::fill(outline_.used.begin() + index + 1, outline_.used.end(), false);
        number = outlineNumber(numbering, sectionLevels);
    } else if (level != RtfParagraphNumbering::Bullet) {
        return {};
    }
    return {numbering.before + number + numbering.after + u'\t', numbering.font};
}

// An outline level's number, after those of the levels above with \pnprev: 1.1.1.
QString RtfListNumbering::outlineNumber(const RtfParagraphNumbering& numbering,
                                        const RtfSectionNumbering& sectionLevels) const {
    const auto index = static_cast<std::size_t>(numbering.level - 1);
    QString number;
    if (numbering.previous) {
        for (std::size_t above = 0; above < index; ++above) {
            const RtfParagraphNumbering& shown = sectionLevels[above];
            const std::int64_t value = outline_.used[above] ? outline_.value[above] : shown.start;
            number += formatListNumber(value, static_cast<RtfNumberFormat>(shown.format)) + u'.';
        }
    }
    return number +
           formatListNumber(outline_.value[index], static_cast<RtfNumberFormat>(numbering.format));
}

} // namespace qtbackend
