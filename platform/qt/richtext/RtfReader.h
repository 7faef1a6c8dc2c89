#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QColor>
#include <QHash>
#include <QString>
#include <QTextCharFormat>
#include <QTextOption>

#include "platform/qt/richtext/CodePages.h"
#include "platform/qt/richtext/RtfDocumentBuilder.h"

class QTextBlockFormat;
class QTextDocument;

namespace qtbackend {

struct RtfControlWord;
struct RtfToken;

// Reads RTF into a QTextDocument: gives the lexer's tokens their meaning, keeps the group state
// on a stack of bounded depth and hands text and breaks to the document builder. Never fails;
// whatever could not be read is left out. Costs one pass over the input.
class RtfReader {
public:
    explicit RtfReader(QTextDocument& document);

    void read(std::string_view rtf);

    // Groups nested deeper than this are skipped whole.
    static constexpr std::size_t MaxGroupDepth = 200;

private:
    // NestedRow: the properties of a nested table's row, where only the row's end matters.
    enum class Destination { Body, Skip, FontTable, ColorTable, NestedRow };

    struct CharacterState {
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
        bool operator==(const CharacterState&) const = default;
    };

    struct TabStop {
        std::int32_t position;
        QTextOption::TabType type;
    };

    struct ParagraphState {
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
        std::vector<TabStop> tabs;
    };

    struct GroupState {
        CharacterState character;
        ParagraphState paragraph;
        Destination destination = Destination::Body;
        std::int32_t unicodeSkip = 1; // \uc: fallback characters after each \u
        std::int32_t skipping = 0;    // fallback characters still to skip
    };

    struct FontEntry {
        QString family;
        int codePage = 0; // 0: the document's
        SymbolFont symbol = SymbolFont::None;
        QFont::StyleHint styleHint = QFont::AnyStyle;
    };

    struct FontBeingDefined {
        bool active = false;
        std::int32_t number = 0;
        std::int32_t charset = -1;
        std::int32_t codePage = 0;
        QFont::StyleHint styleHint = QFont::AnyStyle;
        std::string name;
    };

    void finish();
    void handle(const RtfToken& token);
    void startGroup();
    void endGroup();
    void controlWord(const RtfToken& token);
    void controlSymbol(char character);
    void destination(const RtfControlWord& word);
    void flag(const RtfControlWord& word);
    void toggle(const RtfControlWord& word, bool on);
    void value(const RtfControlWord& word, std::int32_t parameter);
    void symbol(const RtfControlWord& word);
    void text(std::string_view bytes);
    bool skipFallback();

    void appendCharacter(char16_t character);
    void prepareText();
    void flushBytes();
    void flushText();
    void resolveSectionBreak();

    void fontTableText(std::string_view bytes);
    void commitFont();
    void colorTableText(std::string_view bytes);

    // Whether the paragraph being read belongs to a table: marked \intbl, or read between a row's
    // \trowd and its \row (pandoc resets \intbl with \pard inside cells), or ended by \cell.
    bool inTable() const;
    const FontEntry* fontOf(const CharacterState& character) const;
    int codePageOf(const FontEntry* font) const;
    QTextCharFormat charFormat(const CharacterState& character) const;
    QTextBlockFormat blockFormat() const;

    GroupState& state() { return stack_.back(); }

    RtfRowDefinition row_;
    RtfDocumentBuilder builder_;
    CodePageDecoder decoder_;

    std::vector<GroupState> stack_;
    std::size_t overflowDepth_ = 0;
    bool ignorableNext_ = false;
    bool finished_ = false;

    int documentCodePage_ = 1252;
    std::int32_t defaultFont_ = -1;
    QHash<std::int32_t, FontEntry> fonts_;
    FontBeingDefined fontBeingDefined_;
    std::vector<QColor> colors_;
    int red_ = -1;
    int green_ = -1;
    int blue_ = -1;

    bool rowOpen_ = false;
    bool cellMarkSeen_ = false;
    bool sectionBreakPage_ = true;
    bool sectionBreakPending_ = false;

    // Text gathered under one character state, handed to the builder in one piece.
    CharacterState pendingState_;
    std::string pendingBytes_;
    QString pendingText_;
};

} // namespace qtbackend
