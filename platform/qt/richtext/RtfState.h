#pragma once

#include <cstdint>
#include <vector>

#include <QString>
#include <QTextCharFormat>
#include <QTextOption>

namespace qtbackend {

// Where the text of a group goes. NestedRow: the properties of a nested table's row, where only
// the row's end matters.
// FieldInstruction, FormFieldText, FormFieldEntry: text of the current field's instruction, its
// default text and its list entries.
// Picture: a picture's data. Shape: a shape or drawing object, whose own
// text is only in its text box; ShapePropertyName: the name of one of its properties;
// PictureProperty: a property whose value is a picture. Object: an embedded object, of which
// only its result is read.
enum class RtfDestination {
    Body,
    Skip,
    FontTable,
    ColorTable,
    NestedRow,
    FieldInstruction,
    FormField,
    FormFieldText,
    FormFieldEntry,
    // Lists: the parts of \listtable and \listoverridetable, and Word 6's \pn, \pnseclvl and
    // their texts before and after the number.
    ListTable,
    List,
    ListLevel,
    LevelText,
    LevelNumbers,
    ListOverrideTable,
    ListOverride,
    ListOverrideLevel,
    Numbering,
    SectionNumbering,
    NumberingTextBefore,
    NumberingTextAfter,
    Picture,
    Shape,
    ShapePropertyName,
    PictureProperty,
    ListPicture, // \listpicture: the pictures of picture bullets
    Object,
    StyleSheet,
    StyleDefinition, // one style of the style sheet
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
    // \af and \rtlch: the font of right-to-left text, and whether this text is right-to-left.
    std::int32_t associatedFont = -1;
    bool rightToLeft = false;
    std::int32_t halfPoints = 24;
    std::int32_t foreground = 0;
    std::int32_t background = 0;
    bool operator==(const RtfCharacterState&) const = default;
};

struct RtfTabStop {
    std::int32_t position; // twips from the text area's edge
    QTextOption::TabType type;
};

// Word 6/95 paragraph numbering: a paragraph's \pn or a section's \pnseclvlN.
struct RtfParagraphNumbering {
    static constexpr std::int32_t Body = 10;     // \pnlvlbody: one numbered list
    static constexpr std::int32_t Bullet = 11;   // \pnlvlblt
    static constexpr std::int32_t Continue = 12; // \pnlvlcont: counts on, shows nothing
    std::int32_t level = 0;                      // 1 to 9: an outline level; 0: not numbered
    std::int32_t format = 0;                     // as \levelnfc
    bool formatGiven = false;
    std::int32_t start = 1;
    std::int32_t indent = 0; // \pnindent: from the margin to the text, in twips
    bool hanging = false;
    bool previous = false; // \pnprev: the numbers of the levels above come first
    std::int32_t font = -1;
    QString before;
    QString after;
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
    bool rightToLeft = false;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
    std::vector<RtfTabStop> tabs;
    // Lists: \ls and \ilvl (0: not a list item), whether \li and \fi were given (else the
    // list level's apply), and Word 6's numbering.
    std::int32_t listOverride = 0;
    std::int32_t listLevel = 0;
    bool leftIndentGiven = false;
    bool firstIndentGiven = false;
    RtfParagraphNumbering numbering;
};

// What a { saves and its } restores.
struct RtfGroupState {
    RtfCharacterState character;
    RtfParagraphState paragraph;
    RtfDestination destination = RtfDestination::Body;
    std::int32_t unicodeSkip = 1; // \uc: fallback characters after each \u
    std::int32_t skipping = 0;    // fallback characters still to skip
    bool skippingTrail = false;   // the last byte skipped opened a two-byte character
    bool inNote = false;          // text goes to the notes, not the body
    int field = -1;               // the innermost field the group belongs to, or -1
    bool numberText = false;      // inside \listtext or \pntext
    // The text of a text box anchored in a table cell, which goes into that cell.
    bool anchoredInTable = false;
    int mathPart = -1; // the part of the equation being read (see RtfMath), or -1
};

} // namespace qtbackend
