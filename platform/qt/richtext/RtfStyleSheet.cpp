#include "platform/qt/richtext/RtfStyleSheet.h"

#include <algorithm>

namespace qtbackend {

void RtfStyleSheet::beginStyle() {
    defining_ = Style{};
}

void RtfStyleSheet::endStyle() {
    if (styles_.size() < MaxStyles || styles_.contains(defining_.number)) {
        if (anyJoined_) { // a second style sheet: what was joined may have changed
            for (auto& [number, style] : styles_) {
                style.all.reset();
            }
            anyJoined_ = false;
        }
        styles_[defining_.number] = std::move(defining_);
    }
    defining_ = Style{};
}

void RtfStyleSheet::record(const RtfControlWord& word, std::int32_t parameter, bool hasParameter) {
    if (defining_.own.size() < MaxWords) {
        defining_.own.push_back({&word, parameter, hasParameter});
    }
}

bool RtfStyleSheet::formats(RtfWord word) {
    using W = RtfWord;
    switch (word) {
    case W::Bold:
    case W::Italic:
    case W::Strike:
    case W::Hidden:
    case W::Caps:
    case W::SmallCaps:
    case W::Underline:
    case W::UnderlineNone:
    case W::Font:
    case W::FontSize:
    case W::Foreground:
    case W::Background:
    case W::Superscript:
    case W::Subscript:
    case W::NoSuperSub:
    case W::Up:
    case W::Down:
    case W::Align:
    case W::LeftIndent:
    case W::RightIndent:
    case W::FirstIndent:
    case W::SpaceBefore:
    case W::SpaceAfter:
    case W::LineSpacing:
    case W::LineMultiple:
    case W::TabStop:
    case W::TabKind:
    case W::PageBreakBefore:
    case W::AssociatedFont:
    case W::RightToLeftCharacters:
    case W::LeftToRightCharacters:
    case W::RightToLeftParagraph:
    case W::LeftToRightParagraph:
    case W::ListOverrideNumber:
    case W::ListLevelNumber:
        return true;
    default:
        return false;
    }
}

const std::vector<RtfStyleWord>& RtfStyleSheet::words(std::int32_t style) {
    static const std::vector<RtfStyleWord> None;
    const auto found = styles_.find(style);
    if (found == styles_.end()) {
        return None;
    }
    if (!found->second.all) {
        // The chain of styles it is based on, itself last; a loop or a long chain ends it.
        std::vector<const Style*> chain = {&found->second};
        for (std::int32_t base = found->second.basedOn;
             base >= 0 && chain.size() <= std::size_t(MaxBaseDepth);) {
            const auto next = styles_.find(base);
            if (next == styles_.end() ||
                std::find(chain.begin(), chain.end(), &next->second) != chain.end()) {
                break;
            }
            chain.push_back(&next->second);
            base = next->second.basedOn;
        }
        std::vector<RtfStyleWord> all;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            all.insert(all.end(), (*it)->own.begin(), (*it)->own.end());
        }
        if (all.size() > MaxWords) {
            all.erase(all.begin(), all.end() - std::ptrdiff_t(MaxWords));
        }
        found->second.all = std::move(all);
        anyJoined_ = true;
    }
    return *found->second.all;
}

} // namespace qtbackend
