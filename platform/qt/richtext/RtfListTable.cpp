#include "platform/qt/richtext/RtfListTable.h"

#include <algorithm>

#include "platform/qt/richtext/RtfControlWords.h"
#include "platform/qt/richtext/RtfFontTable.h"

namespace qtbackend {

namespace {

using D = RtfDestination;

constexpr std::int32_t MaxStart = 32767; // Word's own limit
constexpr std::size_t MaxPlaceholders = 16;
constexpr char16_t FirstTextCharacter = 9; // characters below stand for level numbers

// Counters of a list override that starts its numbers anew are its own; the others share their
// list's.
std::int64_t ownCounterKey(std::int32_t overrideNumber) {
    return (std::int64_t{1} << 32) | static_cast<std::uint32_t>(overrideNumber);
}

} // namespace

RtfListTable::RtfListTable(const RtfFontTable& fonts, CodePageDecoder& decoder,
                           const int& documentCodePage)
    : fonts_(fonts), decoder_(decoder), documentCodePage_(documentCodePage) {}

RtfDestination RtfListTable::destination(RtfWord word, RtfDestination current) {
    switch (word) {
    case RtfWord::ListTable:
        return current == D::Body ? D::ListTable : D::Skip;
    case RtfWord::List:
        list_ = List{};
        return current == D::ListTable ? D::List : D::Skip;
    case RtfWord::ListLevel:
        if (current != D::List && current != D::ListOverrideLevel) {
            return D::Skip;
        }
        levelInOverride_ = current == D::ListOverrideLevel;
        beginLevel();
        return D::ListLevel;
    case RtfWord::LevelText:
        text_.clear();
        textLength_.reset();
        return current == D::ListLevel ? D::LevelText : D::Skip;
    case RtfWord::LevelNumbers:
        numbers_.clear();
        return current == D::ListLevel ? D::LevelNumbers : D::Skip;
    case RtfWord::ListOverrideTable:
        return current == D::Body ? D::ListOverrideTable : D::Skip;
    case RtfWord::ListOverride:
        override_ = Override{};
        return current == D::ListOverrideTable ? D::ListOverride : D::Skip;
    case RtfWord::ListOverrideLevel:
        ++override_.levelIndex;
        return current == D::ListOverride ? D::ListOverrideLevel : D::Skip;
    default:
        return D::Skip;
    }
}

bool RtfListTable::value(RtfWord word, std::int32_t parameter, RtfDestination current) {
    switch (word) {
    case RtfWord::ListId:
        if (current == D::List) {
            list_.id = parameter;
        } else if (current == D::ListOverride) {
            override_.listId = parameter;
        }
        return true;
    case RtfWord::ListSimple:
        if (current == D::List) {
            list_.simple = parameter != 0;
        }
        return true;
    case RtfWord::ListOverrideNumber:
        if (current != D::ListOverride) {
            return false; // a paragraph's \ls
        }
        override_.number = parameter;
        return true;
    case RtfWord::ListOverrideStart:
        return true; // the \levelstartat that follows says it
    case RtfWord::LevelStart:
        if (current == D::ListOverrideLevel && override_.levelIndex <= MaxLevels) {
            override_.start[override_.levelIndex - 1] = std::clamp(parameter, 0, MaxStart);
            return true;
        }
        return levelValue(word, parameter, current);
    default:
        return levelValue(word, parameter, current);
    }
}

bool RtfListTable::levelValue(RtfWord word, std::int32_t parameter, RtfDestination current) {
    RtfListLevel outside; // level words outside a \listlevel (AbiWord writes them) set nothing
    RtfListLevel& level = current == D::ListLevel ? level_ : outside;
    switch (word) {
    case RtfWord::LevelFormat:
        level.format = static_cast<RtfNumberFormat>(parameter);
        return true;
    case RtfWord::LevelStart:
        level.start = std::clamp(parameter, 0, MaxStart);
        return true;
    case RtfWord::LevelFollow:
        level.follow = parameter;
        return true;
    case RtfWord::LevelLegal:
        level.legal = parameter != 0;
        return true;
    case RtfWord::LevelNoRestart:
        level.noRestart = parameter != 0;
        return true;
    case RtfWord::LevelPicture:
        level.picture = std::max(parameter, -1);
        return true;
    default:
        return false;
    }
}

void RtfListTable::text(RtfDestination destination, std::string_view bytes) {
    if (destination == D::LevelText) {
        if (!textLength_ && !bytes.empty()) {
            textLength_ = static_cast<unsigned char>(bytes.front());
            bytes.remove_prefix(1);
        }
        text_.append(bytes);
    } else if (destination == D::LevelNumbers) {
        numbers_.append(
            bytes.substr(0, MaxPlaceholders - std::min(numbers_.size(), MaxPlaceholders)));
    }
}

void RtfListTable::character(RtfDestination destination, char16_t character) {
    if (destination != D::LevelText) {
        return;
    }
    if (!textLength_) {
        textLength_ = character;
    } else {
        text_.append(character);
    }
}

void RtfListTable::endGroup(const RtfGroupState& ending, const RtfGroupState& parent) {
    switch (ending.destination) {
    case D::ListLevel:
        endLevel(ending, parent);
        break;
    case D::List:
        endList();
        break;
    case D::ListOverride:
        endOverride();
        break;
    default:
        break;
    }
}

void RtfListTable::beginLevel() {
    level_ = RtfListLevel{};
    text_.clear();
    textLength_.reset();
    numbers_.clear();
}

void RtfListTable::endLevel(const RtfGroupState& ending, const RtfGroupState& parent) {
    if (ending.character.font != parent.character.font) {
        level_.font = ending.character.font;
    }
    if (ending.character.halfPoints != parent.character.halfPoints) {
        level_.halfPoints = ending.character.halfPoints;
    }
    if (ending.paragraph.leftIndentGiven) {
        level_.leftIndent = ending.paragraph.leftIndent;
    }
    if (ending.paragraph.firstIndentGiven) {
        level_.firstIndent = ending.paragraph.firstIndent;
    }
    level_.text = levelText();
    if (!levelInOverride_) {
        if (list_.levels.size() < MaxLevels) {
            list_.levels.push_back(level_);
        }
    } else if (override_.levelIndex >= 1 && override_.levelIndex <= MaxLevels) {
        override_.levels[override_.levelIndex - 1] = level_;
    }
}

// The level text holds its length first, then the text; \levelnumbers gives the places (from 1)
// of the characters that stand for level numbers. A level without a font of its own is in the
// document's code page, unless the default font names a script of its own: Word writes a
// Chinese level text under a Western default font.
QString RtfListTable::levelText() const {
    const RtfFont* font = fonts_.find(level_.font);
    if (level_.font < 0 && font != nullptr && font->symbol == SymbolFont::None &&
        (font->codePage <= 0 || font->codePage == 1252)) {
        font = nullptr;
    }
    const QString decoded =
        text_.decode(font, decoder_, documentCodePage_).left(textLength_.value_or(0));
    QString text;
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        const QChar c = decoded.at(i);
        const bool placeholder = c.unicode() < FirstTextCharacter;
        if (placeholder && !numbers_.empty() &&
            numbers_.find(static_cast<char>(i + 1)) == std::string::npos) {
            continue; // a stray control character
        }
        text += c;
    }
    return text;
}

void RtfListTable::endList() {
    if (lists_.size() < MaxLists) {
        listsById_.try_emplace(list_.id, lists_.size());
        lists_.push_back(std::move(list_));
    }
    list_ = List{};
}

void RtfListTable::endOverride() {
    const auto found = listsById_.find(override_.listId);
    if (found == listsById_.end() || definitions_.size() >= MaxLists) {
        return;
    }
    const List& list = lists_[found->second];
    RtfListDefinition definition{list.levels, list.simple, override_.listId};
    for (std::size_t i = 0; i < definition.levels.size(); ++i) {
        if (override_.levels[i]) {
            definition.levels[i] = *override_.levels[i];
            definition.counterKey = ownCounterKey(override_.number);
        }
        if (override_.start[i]) {
            definition.levels[i].start = *override_.start[i];
            definition.counterKey = ownCounterKey(override_.number);
        }
    }
    definitions_.try_emplace(override_.number, std::move(definition));
}

const RtfListDefinition* RtfListTable::find(std::int32_t number) const {
    const auto found = definitions_.find(number);
    return found == definitions_.end() ? nullptr : &found->second;
}

} // namespace qtbackend
