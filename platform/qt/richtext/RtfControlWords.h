#pragma once

#include <cstdint>
#include <string_view>

namespace qtbackend {

// What a control word does to the reader.
enum class RtfWordKind {
    Flag,        // sets or resets a property; any parameter is ignored
    Toggle,      // switches a property on, or off with a parameter of 0
    Value,       // sets a property to its parameter, or to the default without one
    Symbol,      // stands for a character or a break
    Destination, // starts a destination: the rest of its group is read differently or skipped
};

// The words the reader gives meaning to. Destinations the reader does not read are all Skipped.
enum class RtfWord {
    // Destinations read
    Rtf,
    FontTable,
    ColorTable,
    Field,
    FieldInstruction,
    FieldResult,
    ListText,
    NestedTableProperties,
    TextVersions,   // \upr: an ANSI version of some text, then its Unicode version
    UnicodeVersion, // \ud
    StyleSheet,
    ParagraphStyle, // \sN
    StyleBasedOn,
    OtherStyle, // \csN, \dsN, \tsN: character, section and table styles, which are not kept
    // Notes and fields
    Note,
    NoteMark,
    Endnote,           // \ftnalt
    FootnoteNumbering, // value: the RtfNumberFormat
    EndnoteNumbering,  // value: the RtfNumberFormat
    FootnoteStart,
    EndnoteStart,
    FormField,
    FormFieldDefaultText,
    FormFieldEntry,
    FormFieldType,
    FormFieldResult,
    FormFieldDefault,
    Skipped,
    // Character formatting
    Plain,
    Bold,
    Italic,
    Strike,
    Hidden,
    Caps,
    SmallCaps,
    Underline, // value: the Qt underline style
    UnderlineNone,
    Font,
    FontSize,
    Foreground,
    Background,
    Superscript,
    Subscript,
    NoSuperSub,
    Up,
    Down,
    UnicodeSkip,
    Unicode,
    // Paragraph formatting
    ParagraphDefault,
    Align, // value: the Qt alignment
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    TabStop,
    TabKind, // value: the Qt tab type of the next tab stop
    PageBreakBefore,
    InTable,
    NestingLevel,
    // Sections and tables
    SectionDefault,
    SectionBreakNone,
    SectionBreakPage,
    RowDefault,
    CellBoundary,
    CellBorder,
    CellMergedLeft,
    CellMergedAbove,
    CellTextRotation, // value: degrees clockwise
    // Table rows: where a row starts
    RowLeft,
    // Document, font table and colour table
    DefaultFont,
    DefaultTab,
    AnsiCodePage,
    CharacterSetAnsi,
    CharacterSetMac,
    CharacterSetPc,
    CharacterSetPca,
    FontCharset,
    FontCodePage,
    FontFamily, // value: the Qt style hint
    Red,
    Green,
    Blue,
    // Character sets and writing direction
    AssociatedFont,
    RightToLeftCharacters,
    LeftToRightCharacters,
    RightToLeftParagraph,
    LeftToRightParagraph,
    // Characters and breaks
    Paragraph,
    Line,
    Tab,
    Page,
    Section,
    Cell,
    Row,
    NestedCell,
    NestedRow,
    Character,
    // Lists: \listtable and \listoverridetable, list paragraphs, Word 6 numbering (\pn)
    ListTable,
    List,
    ListLevel,
    LevelText,
    LevelNumbers,
    ListOverrideTable,
    ListOverride,
    ListOverrideLevel,
    ListId,
    ListSimple,
    LevelFormat,
    LevelStart,
    LevelFollow,
    LevelLegal,
    LevelNoRestart,
    LevelPicture,
    ListPicture,
    ListOverrideStart,
    ListOverrideNumber, // \ls
    ListLevelNumber,    // \ilvl
    Numbering,
    SectionNumbering,
    NumberingTextBefore,
    NumberingTextAfter,
    NumberingLevel,  // \pnlvlN; flags: value is RtfParagraphNumbering's Body, Bullet or Continue
    NumberingFormat, // value: the number format, as \levelnfc
    NumberingStart,
    NumberingIndent,
    NumberingHanging,
    NumberingPrevious,
    NumberingFont,
    // Pictures and shapes
    Picture,
    ShapePicture,
    NonShapePicture,
    Shape,
    ShapeInstance,
    ShapeText,
    ShapeResult,
    ShapeProperty,
    ShapePropertyName,
    ShapePropertyValue,
    DrawingObject,
    DrawingText,
    Object,
    ObjectResult,
    // Equations
    MathPart, // value: the RtfMathPart
    ShapeLeft,
    ShapeTop,
    ShapeRight,
    ShapeBottom,
    PictureFormat, // value: the RtfPictureFormat
    PictureWidth,
    PictureHeight,
    PictureGoalWidth,
    PictureGoalHeight,
    PictureScaleX,
    PictureScaleY,
    PictureCropLeft,
    PictureCropRight,
    PictureCropTop,
    PictureCropBottom,
    BitmapBitsPerPixel,
    BitmapPlanes,
    BitmapWidthBytes,
};

struct RtfControlWord {
    std::string_view name;
    RtfWordKind kind;
    RtfWord word;
    // Value words: the parameter when there is none. Character symbols: the UTF-16 character.
    // Other words: what they set, as their comment in RtfWord says.
    std::int32_t value = 0;
};

// The entry for a control word, or null for a word the reader ignores.
const RtfControlWord* findRtfControlWord(std::string_view name);

} // namespace qtbackend
