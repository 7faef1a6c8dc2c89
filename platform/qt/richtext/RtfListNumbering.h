#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>

#include <QString>

#include "platform/qt/richtext/RtfState.h"

namespace qtbackend {

struct RtfListDefinition;

// What a list item prints before its text.
struct RtfListNumber {
    QString text;                // with the tab or space that follows the number
    std::int32_t font = -1;      // the number's own font; -1: the paragraph's
    std::int32_t halfPoints = 0; // the number's own size; 0: the paragraph's
    bool exact = true; // false where a format it shows prints as decimal for want of a rule
};

// What follows a list level's number (\levelfollow): a tab, a space (1) or nothing (2).
QString listNumberFollower(std::int32_t follow);

// The word 6 levels a section defines (\pnseclvl1 to \pnseclvl9).
using RtfSectionNumbering = std::array<RtfParagraphNumbering, 9>;

// Counts the items of the document's lists in document order and writes their numbers: a level
// advances, the levels below it start again (unless they are told not to), and the level text
// is filled in with the numbers of its level and the levels above.
class RtfListNumbering {
public:
    // The next item at level (\ilvl) of list.
    RtfListNumber next(const RtfListDefinition& list, std::int32_t level);
    // The next paragraph numbered the Word 6 way, or one that is not (level 0), which ends a
    // run of numbered paragraphs.
    RtfListNumber next(const RtfParagraphNumbering& numbering,
                       const RtfSectionNumbering& sectionLevels);

private:
    struct Counters {
        std::array<std::int64_t, 9> value{};
        std::array<bool, 9> used{};
    };

    QString outlineNumber(const RtfParagraphNumbering& numbering,
                          const RtfSectionNumbering& sectionLevels) const;

    std::unordered_map<std::int64_t, Counters> lists_;
    Counters outline_;
    std::int64_t body_ = 0;
    bool bodyRunning_ = false;
};

} // namespace qtbackend
