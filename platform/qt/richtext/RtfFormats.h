#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include <QTextBlockFormat>
#include <QTextCharFormat>

#include "platform/qt/richtext/RtfState.h"

namespace qtbackend {

class RtfColorTable;
struct RtfFont;

// The Qt format of characters in this state, in font (null: the document's default) with the
// document's colours.
QTextCharFormat rtfCharFormat(const RtfCharacterState& character, const RtfFont* font,
                              const RtfColorTable& colors);

// The character formats made last, by character state: text that switches between a few formats
// (bold letters among plain ones) makes each of them once. Clear it when the tables the formats
// are made from change.
class RecentCharFormats {
public:
    const QTextCharFormat* find(const RtfCharacterState& character) const {
        for (std::size_t i = 0; i < count_; ++i) {
            if (entries_[i].first == character) {
                return &entries_[i].second;
            }
        }
        return nullptr;
    }
    void add(const RtfCharacterState& character, const QTextCharFormat& format) {
        entries_[next_] = {character, format};
        next_ = (next_ + 1) % entries_.size();
        count_ = std::min(count_ + 1, entries_.size());
    }
    void clear() { count_ = next_ = 0; }

private:
    std::array<std::pair<RtfCharacterState, QTextCharFormat>, 4> entries_;
    std::size_t count_ = 0;
    std::size_t next_ = 0;
};

// The Qt format of a paragraph in this state. Lengths go in as 1/96 inch; the side margins and
// first-line indent are kept in twips as well (see RichTextProperties.h). Tabs past the set stops
// stop at multiples of defaultTab twips.
QTextBlockFormat rtfBlockFormat(const RtfParagraphState& paragraph, std::int32_t defaultTab);

} // namespace qtbackend
