#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QString>

#include "platform/qt/richtext/RtfNumberFormat.h"
#include "platform/qt/richtext/RtfNumberText.h"
#include "platform/qt/richtext/RtfState.h"

namespace qtbackend {

class CodePageDecoder;
class RtfFontTable;
enum class RtfWord;

// One level of a list: how its number is written and where its items sit.
struct RtfListLevel {
    RtfNumberFormat format = RtfNumberFormat::Decimal;
    std::int32_t start = 1;
    std::int32_t follow = 0;     // \levelfollow: 0 a tab, 1 a space, 2 nothing after the number
    bool legal = false;          // the numbers of the levels above in decimal
    bool noRestart = false;      // not counted again from the start when a level above advances
    std::int32_t font = -1;      // the number's own font; -1: the paragraph's
    std::int32_t halfPoints = 0; // the number's own size; 0: the paragraph's
    std::int32_t picture = -1;   // \levelpicture: the \listpicture picture the bullet shows
    std::optional<std::int32_t> leftIndent;
    std::optional<std::int32_t> firstIndent;
    // The number as the level writes it; characters 0 to 8 stand for the numbers of levels 1 to 9.
    QString text;
};

// A list as the paragraphs of one list override (\ls) show it: its levels, and the key of the
// counters it numbers with. Overrides of one list count together unless one starts its numbers
// anew.
struct RtfListDefinition {
    std::vector<RtfListLevel> levels;
    bool simple = false; // one level for every \ilvl
    std::int64_t counterKey = 0;
};

// The document's \listtable and \listoverridetable, read part by part as the reader meets them,
// and the lists they define by override number. Bounded: at most MaxLists lists and overrides.
class RtfListTable {
public:
    RtfListTable(const RtfFontTable& fonts, CodePageDecoder& decoder, const int& documentCodePage);

    // A destination inside the tables: the destination the group reads.
    RtfDestination destination(RtfWord word, RtfDestination current);
    // A value or flag inside the tables; false for a word that is not one of theirs.
    bool value(RtfWord word, std::int32_t parameter, RtfDestination current);
    void text(RtfDestination destination, std::string_view bytes);
    void character(RtfDestination destination, char16_t character);
    // The group that read a part of the tables closes; parent is the state it returns to.
    void endGroup(const RtfGroupState& ending, const RtfGroupState& parent);

    // The list that paragraphs marked \ls number show, or null.
    const RtfListDefinition* find(std::int32_t number) const;

    static constexpr std::size_t MaxLists = 4096;
    static constexpr std::size_t MaxLevels = 9;

private:
    struct List {
        std::int32_t id = 0;
        bool simple = false;
        std::vector<RtfListLevel> levels;
    };
    struct Override {
        std::int32_t number = 0;
        std::int32_t listId = 0;
        std::size_t levelIndex = 0; // the \lfolevel being read, counted from 1
        std::array<std::optional<std::int32_t>, MaxLevels> start;
        std::array<std::optional<RtfListLevel>, MaxLevels> levels;
    };

    bool levelValue(RtfWord word, std::int32_t parameter, RtfDestination current);
    void beginLevel();
    void endLevel(const RtfGroupState& ending, const RtfGroupState& parent);
    void endList();
    void endOverride();
    QString levelText() const;

    const RtfFontTable& fonts_;
    CodePageDecoder& decoder_;
    const int& documentCodePage_;

    std::vector<List> lists_;
    std::unordered_map<std::int32_t, std::size_t> listsById_;
    std::unordered_map<std::int32_t, RtfListDefinition> definitions_; // by override number

    List list_; // being read
    Override override_;
    RtfListLevel level_;
    bool levelInOverride_ = false;
    std::optional<std::int32_t> textLength_;
    RtfNumberText text_;
    std::string numbers_;
};

} // namespace qtbackend
