#include "platform/qt/richtext/RtfLists.h"

#include <algorithm>

#include "platform/qt/richtext/RtfControlWords.h"
#include "platform/qt/richtext/RtfFontTable.h"

namespace qtbackend {

namespace {

QString withoutSpaces(const QString& text) {
    QString visible;
    for (const QChar c : text) {
        if (!c.isSpace()) {
            visible += c;
        }
    }
    return visible;
}

using D = RtfDestination;

constexpr std::int32_t MaxTwips = 31680;
constexpr std::int32_t MaxStart = 32767;
constexpr qsizetype MaxNumberingText = 32;

bool inListTables(RtfDestination destination) {
    switch (destination) {
    case D::ListTable:
    case D::List:
    case D::ListLevel:
    case D::LevelText:
    case D::LevelNumbers:
    case D::ListOverrideTable:
    case D::ListOverride:
    case D::ListOverrideLevel:
        return true;
    default:
        return false;
    }
}

bool inNumbering(RtfDestination destination) {
    return destination == D::Numbering || destination == D::SectionNumbering;
}

} // namespace

RtfLists::RtfLists(const RtfFontTable& fonts, CodePageDecoder& decoder, const int& documentCodePage)
    : fonts_(fonts), decoder_(decoder), documentCodePage_(documentCodePage),
      table_(fonts, decoder, documentCodePage) {}

bool RtfLists::destination(const RtfControlWord& word, std::int32_t parameter,
                           RtfGroupState& group) {
    RtfDestination& destination = group.destination;
    switch (word.word) {
    case RtfWord::ListTable:
    case RtfWord::List:
    case RtfWord::ListLevel:
    case RtfWord::LevelText:
    case RtfWord::LevelNumbers:
    case RtfWord::ListOverrideTable:
    case RtfWord::ListOverride:
    case RtfWord::ListOverrideLevel:
        destination = table_.destination(word.word, destination);
        return true;
    case RtfWord::Numbering:
    case RtfWord::SectionNumbering: {
        const bool section = word.word == RtfWord::SectionNumbering;
        const bool valid =
            destination == D::Body && (!section || (parameter >= 1 && parameter <= 9));
        destination = !valid ? D::Skip : section ? D::SectionNumbering : D::Numbering;
        group.paragraph.numbering = RtfParagraphNumbering{};
        group.paragraph.numbering.level = section ? parameter : 0;
        return true;
    }
    case RtfWord::NumberingTextBefore:
    case RtfWord::NumberingTextAfter:
        text_.clear();
        destination = !inNumbering(destination)                   ? D::Skip
                      : word.word == RtfWord::NumberingTextBefore ? D::NumberingTextBefore
                                                                  : D::NumberingTextAfter;
        return true;
    default:
        return false;
    }
}

bool RtfLists::value(const RtfControlWord& word, std::int32_t parameter, RtfGroupState& group) {
    if (inListTables(group.destination) && table_.value(word.word, parameter, group.destination)) {
        return true;
    }
    switch (word.word) {
    case RtfWord::ListOverrideNumber:
        group.paragraph.listOverride = parameter;
        return true;
    case RtfWord::ListLevelNumber:
        group.paragraph.listLevel = parameter;
        return true;
    default:
        return inNumbering(group.destination) &&
               numberingValue(word, parameter, group.paragraph.numbering);
    }
}

bool RtfLists::numberingValue(const RtfControlWord& word, std::int32_t parameter,
                              RtfParagraphNumbering& numbering) const {
    switch (word.word) {
    case RtfWord::NumberingLevel:
        if (word.kind == RtfWordKind::Flag || (parameter >= 1 && parameter <= 9)) {
            numbering.level = parameter;
        }
        return true;
    case RtfWord::NumberingFormat:
        numbering.format = parameter;
        numbering.formatGiven = true;
        return true;
    case RtfWord::NumberingStart:
        numbering.start = std::clamp(parameter, 0, MaxStart);
        return true;
    case RtfWord::NumberingIndent:
        numbering.indent = std::clamp(parameter, -MaxTwips, MaxTwips);
        return true;
    case RtfWord::NumberingHanging:
        numbering.hanging = true;
        return true;
    case RtfWord::NumberingPrevious:
        numbering.previous = true;
        return true;
    case RtfWord::NumberingFont:
        numbering.font = parameter;
        return true;
    default:
        return false;
    }
}

void RtfLists::text(RtfDestination destination, std::string_view bytes) {
    if (inListTables(destination)) {
        table_.text(destination, bytes);
    } else if (destination == D::NumberingTextBefore || destination == D::NumberingTextAfter) {
        text_.append(bytes);
    }
}

void RtfLists::character(RtfDestination destination, std::int32_t character) {
    const char16_t unit =
        character >= 0 && character <= 0xFFFF ? static_cast<char16_t>(character) : char16_t{0xFFFD};
    if (inListTables(destination)) {
        table_.character(destination, unit);
    } else if (destination == D::NumberingTextBefore || destination == D::NumberingTextAfter) {
        text_.append(unit);
    }
}

void RtfLists::endGroup(const RtfGroupState& ending, RtfGroupState& parent) {
    if (ending.destination == parent.destination) {
        return;
    }
    RtfParagraphNumbering& numbering = parent.paragraph.numbering;
    switch (ending.destination) {
    case D::ListLevel:
    case D::List:
    case D::ListOverride:
        table_.endGroup(ending, parent);
        break;
    case D::Numbering:
        endNumbering(ending, parent);
        break;
    case D::SectionNumbering:
        if (const std::int32_t level = ending.paragraph.numbering.level; level >= 1 && level <= 9) {
            sectionLevels_[static_cast<std::size_t>(level - 1)] = ending.paragraph.numbering;
        }
        break;
    case D::NumberingTextBefore:
    case D::NumberingTextAfter:
        (ending.destination == D::NumberingTextBefore ? numbering.before : numbering.after) =
            text_.decode(fonts_.find(numbering.font), decoder_, documentCodePage_)
                .left(MaxNumberingText);
        break;
    default:
        break;
    }
}

// A paragraph's \pnlvlN that does not say how to number takes its section's level.
void RtfLists::endNumbering(const RtfGroupState& ending, RtfGroupState& parent) {
    RtfParagraphNumbering numbering = ending.paragraph.numbering;
    if (numbering.level >= 1 && numbering.level <= 9 && !numbering.formatGiven) {
        const std::int32_t level = numbering.level;
        numbering = sectionLevels_[static_cast<std::size_t>(level - 1)];
        numbering.level = level;
    }
    parent.paragraph.numbering = numbering;
}

bool RtfLists::beginNumberText() {
    if (numberTextSeen_ || numbered_) {
        return false;
    }
    numberTextSeen_ = true;
    return true;
}

void RtfLists::writeNumberText(const QString& text, const QTextCharFormat& format) {
    written_.push_back({text, format});
}

RtfLists::ItemNumber RtfLists::number(const RtfParagraphState& paragraph) {
    numbered_ = true;
    const RtfListDefinition* list =
        paragraph.listOverride != 0 ? table_.find(paragraph.listOverride) : nullptr;
    RtfListNumber number;
    if (list != nullptr) {
        numbering_.next(RtfParagraphNumbering{}, sectionLevels_); // not in a Word 6 list
        number = numbering_.next(*list, paragraph.listLevel);
    } else {
        number = numbering_.next(paragraph.numbering, sectionLevels_);
    }
    ItemNumber item;
    item.written = std::move(written_);
    written_.clear();
    const RtfListLevel* level = levelOf(paragraph);
    const RtfFont* font = level != nullptr ? fonts_.find(level->font) : nullptr;
    for (RtfNumberRun& run : item.written) {
        run.text =
            RtfNumberText::mapSymbols(run.text, font != nullptr ? font->symbol : SymbolFont::None);
    }
    QString writtenText;
    for (const RtfNumberRun& run : item.written) {
        writtenText += run.text;
    }
    // Word and LibreOffice number a list paragraph from its list's definition and pass over the
    // number text written for older readers. The written text is kept where it shows the number
    // the definition gives, with the writer's own spacing and formatting, unless it starts with a
    // tab (pandoc's, which moves the number off the line's start), and where the number is in a
    // format that has no rule here.
    const QString shown = withoutSpaces(writtenText);
    const bool stale =
        list != nullptr &&
        (shown == withoutSpaces(number.text) ? writtenText.startsWith(u'\t') : number.exact);
    if ((shown.isEmpty() || stale) && !number.text.isEmpty()) {
        item.written.clear();
        item.counted = number;
    }
    if (level != nullptr && level->picture >= 0) {
        item.picture = level->picture;
        item.follow = listNumberFollower(level->follow);
    }
    return item;
}

void RtfLists::endParagraph() {
    numbered_ = false;
    numberTextSeen_ = false;
    written_.clear();
}

std::optional<RtfParagraphState>
RtfLists::withListIndents(const RtfParagraphState& paragraph) const {
    std::optional<std::int32_t> left;
    std::optional<std::int32_t> first;
    if (const RtfListLevel* level = levelOf(paragraph)) {
        left = level->leftIndent;
        first = level->firstIndent;
    } else if (paragraph.numbering.level != 0) {
        left = paragraph.numbering.indent;
        if (paragraph.numbering.hanging) {
            first = -paragraph.numbering.indent;
        }
    }
    const bool newLeft = left && !paragraph.leftIndentGiven;
    const bool newFirst = first && !paragraph.firstIndentGiven;
    if (!newLeft && !newFirst) {
        return std::nullopt;
    }
    RtfParagraphState indented = paragraph;
    indented.leftIndent = newLeft ? *left : paragraph.leftIndent;
    indented.firstIndent = newFirst ? *first : paragraph.firstIndent;
    return indented;
}

const RtfListLevel* RtfLists::levelOf(const RtfParagraphState& paragraph) const {
    const RtfListDefinition* list =
        paragraph.listOverride != 0 ? table_.find(paragraph.listOverride) : nullptr;
    if (list == nullptr) {
        return nullptr;
    }
    const auto index =
        list->simple ? 0 : static_cast<std::size_t>(std::clamp(paragraph.listLevel, 0, 8));
    return index < list->levels.size() ? &list->levels[index] : nullptr;
}

} // namespace qtbackend
