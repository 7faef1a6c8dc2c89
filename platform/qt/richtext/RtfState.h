#pragma once

#include <cstdint>
#include <vector>

#include <QTextCharFormat>
#include <QTextOption>

namespace qtbackend {

// Where the text of a group goes. NestedRow: the properties of a nested table's row, where only
// the row's end matters. Picture: a picture's data. Shape: a shape or drawing object, whose own
// text is only in its text box; ShapePropertyName: the name of one of its properties;
// PictureProperty: a property whose value is a picture. Object: an embedded object, of which
// only its result is read.
enum class RtfDestination {
    Body,
    Skip,
    FontTable,
    ColorTable,
    NestedRow,
    Picture,
    Shape,
    ShapePropertyName,
    PictureProperty,
    Object,
};

// The character formatting in force, as the control words of a group set it.
struct RtfCharacterState {
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    bool caps = false;
    bool smallCaps = false;
    QTextCharFormat::UnderlineStyle underline = QTextCharFormat::NoUnderline;
    QTextCharFormat::VerticalAlignment vertical = QTextCharFormat::AlignNormal;
    std::int32_t font = -1; // -1: the document's default font
    std::int32_t halfPoints = 24;
    std::int32_t foreground = 0;
    std::int32_t background = 0;
    bool operator==(const RtfCharacterState&) const = default;
};

struct RtfTabStop {
    std::int32_t position; // twips from the text area's edge
    QTextOption::TabType type;
};

// The paragraph formatting in force; lengths in twips.
struct RtfParagraphState {
    Qt::Alignment alignment = Qt::AlignLeft;
    std::int32_t leftIndent = 0;
    std::int32_t rightIndent = 0;
    std::int32_t firstIndent = 0;
    std::int32_t spaceBefore = 0;
    std::int32_t spaceAfter = 0;
    std::int32_t lineSpacing = 0;
    bool lineMultiple = false;
    bool inTable = false;
    bool pageBreakBefore = false;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
    std::vector<RtfTabStop> tabs;
};

// What a { saves and its } restores.
struct RtfGroupState {
    RtfCharacterState character;
    RtfParagraphState paragraph;
    RtfDestination destination = RtfDestination::Body;
    std::int32_t unicodeSkip = 1; // \uc: fallback characters after each \u
    std::int32_t skipping = 0;    // fallback characters still to skip
    // The text of a text box anchored in a table cell, which goes into that cell.
    bool anchoredInTable = false;
};

} // namespace qtbackend
