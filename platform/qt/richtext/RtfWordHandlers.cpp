#include <algorithm>

#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/RtfControlWords.h"
#include "platform/qt/richtext/RtfReader.h"

namespace qtbackend {

namespace {

constexpr std::int32_t MaxTwips = 31680; // 22 inches, the largest page RTF describes
constexpr std::size_t MaxTabStops = 64;

std::int32_t clampTwips(std::int32_t twips) {
    return std::clamp(twips, -MaxTwips, MaxTwips);
}

} // namespace

void RtfReader::destination(const RtfControlWord& word, std::int32_t parameter) {
    if (lists_.destination(word, parameter, state()) || noteOrFieldDestination(word)) {
        return;
    }
    RtfDestination& destination = state().destination;
    switch (word.word) {
    case RtfWord::Rtf:
        break;
    case RtfWord::FontTable:
        destination = RtfDestination::FontTable;
        break;
    case RtfWord::ColorTable:
        destination = RtfDestination::ColorTable;
        colors_.begin();
        break;
    case RtfWord::StyleSheet:
        destination =
            destination == RtfDestination::Body ? RtfDestination::StyleSheet : RtfDestination::Skip;
        break;
    case RtfWord::NestedTableProperties:
        destination =
            destination == RtfDestination::Body ? RtfDestination::NestedRow : RtfDestination::Skip;
        break;
    case RtfWord::FieldResult:
        // A field nested in an instruction gives its result to the instruction, as in Word:
        // MathType's equation numbers are SEQ fields inside a MACROBUTTON.
        if (destination != RtfDestination::Body &&
            destination != RtfDestination::FieldInstruction) {
            destination = RtfDestination::Skip;
        }
        break;
    case RtfWord::ListText:
        if (destination != RtfDestination::Body) {
            destination = RtfDestination::Skip;
        } else {
            beginNumberText();
        }
        break;
    case RtfWord::Picture:
    case RtfWord::ListPicture:
    case RtfWord::ShapePicture:
    case RtfWord::NonShapePicture:
    case RtfWord::Shape:
    case RtfWord::ShapeInstance:
    case RtfWord::ShapeText:
    case RtfWord::ShapeResult:
    case RtfWord::ShapeProperty:
    case RtfWord::ShapePropertyName:
    case RtfWord::ShapePropertyValue:
    case RtfWord::DrawingObject:
    case RtfWord::DrawingText:
    case RtfWord::Object:
    case RtfWord::ObjectResult:
        drawingDestination(word);
        break;
    case RtfWord::MathPart:
        mathPart(static_cast<RtfMathPart>(word.value));
        break;
    case RtfWord::UnicodeVersion:
        // Read in the destination around it, unless its ANSI version was read.
        if (!unicodeVersionNext_) {
            destination = RtfDestination::Skip;
        }
        unicodeVersionNext_ = false;
        break;
    default:
        destination = RtfDestination::Skip;
        break;
    }
}

void RtfReader::flag(const RtfControlWord& word) {
    if (paragraphFlag(word) || tableFlag(word) || lists_.value(word, word.value, state()) ||
        noteOrFieldValue(word, word.value)) {
        return;
    }
    RtfCharacterState& character = state().character;
    switch (word.word) {
    case RtfWord::Plain:
        character = RtfCharacterState{};
        break;
    case RtfWord::TextVersions:
        readUnicodeVersion();
        break;
    case RtfWord::UnderlineNone:
        character.underline = QTextCharFormat::NoUnderline;
        break;
    case RtfWord::Superscript:
        character.vertical = QTextCharFormat::AlignSuperScript;
        break;
    case RtfWord::Subscript:
        character.vertical = QTextCharFormat::AlignSubScript;
        break;
    case RtfWord::NoSuperSub:
        character.vertical = QTextCharFormat::AlignNormal;
        break;
    case RtfWord::CharacterSetAnsi:
        documentCodePage_ = 1252;
        break;
    case RtfWord::CharacterSetMac:
        documentCodePage_ = 10000;
        break;
    case RtfWord::CharacterSetPc:
        documentCodePage_ = 437;
        break;
    case RtfWord::CharacterSetPca:
        documentCodePage_ = 850;
        break;
    case RtfWord::FontFamily:
        fonts_.setStyleHint(static_cast<QFont::StyleHint>(word.value));
        break;
    case RtfWord::PictureFormat:
        if (state().destination == RtfDestination::Picture) {
            pictures_.setFormat(static_cast<RtfPictureFormat>(word.value));
        }
        break;
    case RtfWord::RightToLeftCharacters:
    case RtfWord::LeftToRightCharacters:
        character.rightToLeft = word.word == RtfWord::RightToLeftCharacters;
        break;
    default:
        break;
    }
}

bool RtfReader::paragraphFlag(const RtfControlWord& word) {
    RtfParagraphState& paragraph = state().paragraph;
    switch (word.word) {
    case RtfWord::ParagraphDefault:
        paragraph = RtfParagraphState{};
        stylesApplied_ = 0;
        return true;
    case RtfWord::Align:
        paragraph.alignment = static_cast<Qt::Alignment>(word.value);
        return true;
    case RtfWord::TabKind:
        paragraph.nextTabType = static_cast<QTextOption::TabType>(word.value);
        return true;
    case RtfWord::PageBreakBefore:
        paragraph.pageBreakBefore = true;
        return true;
    case RtfWord::InTable:
        paragraph.inTable = true;
        return true;
    case RtfWord::RightToLeftParagraph:
    case RtfWord::LeftToRightParagraph:
        paragraph.rightToLeft = word.word == RtfWord::RightToLeftParagraph;
        return true;
    default:
        return false;
    }
}

bool RtfReader::tableFlag(const RtfControlWord& word) {
    switch (word.word) {
    case RtfWord::SectionDefault:
    case RtfWord::SectionBreakPage:
        sectionBreakPage_ = true;
        return true;
    case RtfWord::SectionBreakNone:
        sectionBreakPage_ = false;
        return true;
    case RtfWord::RowDefault:
        row_ = RtfRowDefinition{};
        rowOpen_ = true;
        return true;
    case RtfWord::CellBorder:
        row_.borders = true;
        return true;
    case RtfWord::CellMergedLeft:
        row_.next.mergedLeft = true;
        return true;
    case RtfWord::CellMergedAbove:
        row_.next.mergedAbove = true;
        return true;
    case RtfWord::CellTextRotation:
        row_.next.rotation = word.value;
        return true;
    default:
        return false;
    }
}

void RtfReader::toggle(const RtfControlWord& word, bool on) {
    RtfCharacterState& character = state().character;
    switch (word.word) {
    case RtfWord::Bold:
        character.bold = on;
        break;
    case RtfWord::Italic:
        character.italic = on;
        break;
    case RtfWord::Strike:
        character.strike = on;
        break;
    case RtfWord::Hidden:
        character.hidden = on;
        break;
    case RtfWord::Caps:
        character.caps = on;
        break;
    case RtfWord::SmallCaps:
        character.smallCaps = on;
        break;
    case RtfWord::Underline:
        character.underline = on ? static_cast<QTextCharFormat::UnderlineStyle>(word.value)
                                 : QTextCharFormat::NoUnderline;
        break;
    default:
        break;
    }
}

void RtfReader::value(const RtfControlWord& word, std::int32_t parameter) {
    if (word.word == RtfWord::ParagraphStyle) {
        applyStyle(parameter);
        return;
    }
    if (lists_.value(word, parameter, state()) || characterValue(word, parameter) ||
        paragraphValue(word, parameter) || noteOrFieldValue(word, parameter)) {
        return;
    }
    if (drawingValue(word, parameter)) {
        return;
    }
    switch (word.word) {
    case RtfWord::CellBoundary:
        if (row_.cells.size() < RtfTableRows::MaxCells) {
            row_.next.right = std::clamp(parameter, 0, MaxTwips);
            row_.cells.push_back(row_.next);
        }
        row_.next = RtfCellDefinition{};
        break;
    case RtfWord::RowLeft:
        row_.left = clampTwips(parameter);
        break;
    case RtfWord::DefaultFont:
        fonts_.setDefault(parameter);
        recentFormats_.clear();
        break;
    case RtfWord::DefaultTab:
        if (parameter > 0) {
            defaultTab_ = std::min(parameter, MaxTwips);
            builder_.setDefaultTabStop(defaultTab_ / richtext::TwipsPerPixel);
        }
        break;
    case RtfWord::AnsiCodePage:
        if (parameter > 0) {
            documentCodePage_ = parameter;
        }
        break;
    case RtfWord::FontCharset:
        fonts_.setCharset(parameter);
        break;
    case RtfWord::FontCodePage:
        fonts_.setCodePage(std::max(parameter, 0));
        break;
    case RtfWord::Red:
        colors_.setRed(parameter);
        break;
    case RtfWord::Green:
        colors_.setGreen(parameter);
        break;
    case RtfWord::Blue:
        colors_.setBlue(parameter);
        break;
    default:
        break;
    }
}

bool RtfReader::characterValue(const RtfControlWord& word, std::int32_t parameter) {
    RtfCharacterState& character = state().character;
    switch (word.word) {
    case RtfWord::Font:
        if (state().destination == RtfDestination::FontTable) {
            fonts_.commit(decoder_, documentCodePage_);
            fonts_.begin(parameter);
        } else {
            character.font = parameter;
        }
        return true;
    case RtfWord::AssociatedFont:
        character.associatedFont = parameter;
        return true;
    case RtfWord::FontSize:
        // Half-points; Word's own limits are 1 to 1638 points.
        character.halfPoints = parameter <= 0 ? 24 : std::clamp(parameter, 2, 3276);
        return true;
    case RtfWord::Foreground:
        character.foreground = std::max(parameter, 0);
        return true;
    case RtfWord::Background:
        character.background = std::max(parameter, 0);
        return true;
    case RtfWord::Up:
        character.vertical =
            parameter > 0 ? QTextCharFormat::AlignSuperScript : QTextCharFormat::AlignNormal;
        return true;
    case RtfWord::Down:
        character.vertical =
            parameter > 0 ? QTextCharFormat::AlignSubScript : QTextCharFormat::AlignNormal;
        return true;
    case RtfWord::UnicodeSkip:
        state().unicodeSkip = std::max(parameter, 0);
        return true;
    case RtfWord::Unicode:
        unicodeCharacter(parameter);
        return true;
    default:
        return false;
    }
}

void RtfReader::unicodeCharacter(std::int32_t parameter) {
    RtfGroupState& group = state();
    const std::int32_t code = parameter < 0 ? parameter + 65536 : parameter;
    lists_.character(group.destination, code); // list texts hold \u characters too
    if (group.destination == RtfDestination::Body) {
        char16_t character =
            code >= 0 && code <= 0xFFFF ? static_cast<char16_t>(code) : char16_t{0xFFFD};
        if (const RtfFont* font = fonts_.find(group.character.font)) {
            character = mapSymbolFontCharacter(character, font->symbol);
        }
        appendCharacter(character);
    }
    group.skipping = group.unicodeSkip;
}

bool RtfReader::paragraphValue(const RtfControlWord& word, std::int32_t parameter) {
    RtfParagraphState& paragraph = state().paragraph;
    switch (word.word) {
    case RtfWord::LeftIndent:
        paragraph.leftIndent = clampTwips(parameter);
        paragraph.leftIndentGiven = true;
        return true;
    case RtfWord::RightIndent:
        paragraph.rightIndent = clampTwips(parameter);
        return true;
    case RtfWord::FirstIndent:
        paragraph.firstIndent = clampTwips(parameter);
        paragraph.firstIndentGiven = true;
        return true;
    case RtfWord::SpaceBefore:
        paragraph.spaceBefore = std::clamp(parameter, 0, MaxTwips);
        return true;
    case RtfWord::SpaceAfter:
        paragraph.spaceAfter = std::clamp(parameter, 0, MaxTwips);
        return true;
    case RtfWord::LineSpacing:
        paragraph.lineSpacing = clampTwips(parameter);
        return true;
    case RtfWord::LineMultiple:
        paragraph.lineMultiple = parameter != 0;
        return true;
    case RtfWord::TabStop:
        if (paragraph.tabs.size() < MaxTabStops) {
            paragraph.tabs.push_back({std::clamp(parameter, 0, MaxTwips), paragraph.nextTabType});
        }
        paragraph.nextTabType = QTextOption::LeftTab;
        return true;
    case RtfWord::NestingLevel:
        paragraph.inTable = parameter > 0;
        return true;
    default:
        return false;
    }
}

void RtfReader::symbol(const RtfControlWord& word) {
    const bool inTable = this->inTable();
    switch (word.word) {
    case RtfWord::Paragraph:
        placeListNumber(); // an empty list item shows its number too
        endParagraphText();
        resolveSectionBreak();
        out().endParagraph(blockFormat(), charFormat(state().character), inTable);
        lists_.endParagraph();
        break;
    case RtfWord::NoteMark:
        appendString(state().inNote ? notes_.markInNote() : notes_.markInBody(markedNoteKind()));
        break;
    case RtfWord::Line:
    case RtfWord::NestedRow:
        appendCharacter(0x2028);
        break;
    case RtfWord::Tab:
    case RtfWord::NestedCell:
        appendCharacter(u'\t');
        break;
    case RtfWord::Page:
        endParagraphText();
        resolveSectionBreak();
        out().breakPage(blockFormat(), charFormat(state().character), inTable);
        break;
    case RtfWord::Section:
        placeWrittenNumber();
        endParagraphText();
        resolveSectionBreak();
        out().closeParagraph(blockFormat(), charFormat(state().character), inTable);
        lists_.endParagraph();
        sectionBreakPending_ = true;
        break;
    case RtfWord::Cell:
        endCell();
        break;
    case RtfWord::Row:
        endRow();
        break;
    case RtfWord::Character:
        appendCharacter(static_cast<char16_t>(word.value));
        break;
    default:
        break;
    }
}

} // namespace qtbackend
