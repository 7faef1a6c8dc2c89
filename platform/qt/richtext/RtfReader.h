#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include "platform/qt/richtext/CodePages.h"
#include "platform/qt/richtext/FontFaceBudget.h"
#include "platform/qt/richtext/LongWordBreaker.h"
#include "platform/qt/richtext/RtfColorTable.h"
#include "platform/qt/richtext/RtfDocumentBuilder.h"
#include "platform/qt/richtext/RtfFields.h"
#include "platform/qt/richtext/RtfFontTable.h"
#include "platform/qt/richtext/RtfFormats.h"
#include "platform/qt/richtext/RtfLists.h"
#include "platform/qt/richtext/RtfMath.h"
#include "platform/qt/richtext/RtfNotes.h"
#include "platform/qt/richtext/RtfPictures.h"
#include "platform/qt/richtext/RtfShapes.h"
#include "platform/qt/richtext/RtfState.h"
#include "platform/qt/richtext/RtfStyleSheet.h"
#include "platform/qt/richtext/SystemFamilies.h"

class QTextDocument;

namespace qtbackend {

class RtfLexer;
struct RtfControlWord;
struct RtfToken;

// Reads RTF into a QTextDocument: gives the lexer's tokens their meaning, keeps the group state
// on a stack of bounded depth and hands text and breaks to the document builder. Never fails;
// whatever could not be read is left out. Costs one pass over the input.
//
// RtfReader.cpp holds the tokens, groups and the text on its way to the builder;
// RtfWordHandlers.cpp the handlers of control words, by kind; RtfDrawingHandlers.cpp those of
// pictures and shapes.
class RtfReader {
public:
    explicit RtfReader(QTextDocument& document);

    void read(std::string_view rtf);

    // Groups nested deeper than this are skipped whole: far deeper than the HTML that mail
    // programs wrap in RTF nests (thousands), some 20 MB of group states at most.
    static constexpr std::size_t MaxGroupDepth = 100000;

private:
    // Tokens and groups
    void finish();
    void handle(const RtfToken& token);
    void startGroup();
    void endGroup();
    void controlWord(const RtfToken& token);
    void controlSymbol(char character);
    // A flag, toggle or value word, with its parameter where it has one.
    void formattingWord(const RtfControlWord& word, bool hasParameter, std::int32_t parameter);
    void readUnicodeVersion();
    // The style sheet (RtfReaderStyles.cpp): a word of a style's definition; a paragraph names
    // its style.
    void defineStyle(const RtfControlWord& word, const RtfToken& token);
    void applyStyle(std::int32_t style);
    bool skipFallback();

    // Control words by kind
    void destination(const RtfControlWord& word, std::int32_t parameter);
    void flag(const RtfControlWord& word);
    void toggle(const RtfControlWord& word, bool on);
    void value(const RtfControlWord& word, std::int32_t parameter);
    void symbol(const RtfControlWord& word);
    // The parts of flag and value, by what they set; false for a word of another part.
    bool paragraphFlag(const RtfControlWord& word);
    bool tableFlag(const RtfControlWord& word);
    bool characterValue(const RtfControlWord& word, std::int32_t parameter);
    bool paragraphValue(const RtfControlWord& word, std::int32_t parameter);
    void unicodeCharacter(std::int32_t parameter);
    bool noteOrFieldValue(const RtfControlWord& word, std::int32_t parameter);
    // The kind of note a \chftn in the body marks.
    RtfNotes::Kind markedNoteKind() const;
    // Destinations of notes and fields; false for a word of another part.
    bool noteOrFieldDestination(const RtfControlWord& word);
    void fieldText(std::string_view bytes);
    // The group of a note or a field ends.
    void endNote();
    void endField();

    // Text on its way to the builder
    void rawText(std::string_view bytes);
    void text(std::string_view bytes);
    void skipFallbackBytes(std::string_view& bytes, int codePage);
    void bodyText(std::string_view bytes, int codePage);
    void appendCharacter(char16_t character);
    void appendString(const QString& text);
    void prepareText();
    void flushBytes();
    void flushText();
    void insertRun(const QString& text);
    // Flushes the text before a paragraph, cell or page ends.
    void endParagraphText();
    void resolveSectionBreak();
    // Lists (RtfReaderLists.cpp): a \listtext or \pntext group starts; the paragraph's number
    // goes in before its first text, once.
    void beginNumberText();
    void placeListNumber();
    bool placePictureBullet(const RtfLists::ItemNumber& number);
    // A paragraph closed by a cell or section mark or the document's end before any text: its
    // written number text still prints, and no number is counted for it otherwise.
    void placeWrittenNumber();
    QTextCharFormat numberFormat(RtfCharacterState character, std::int32_t plainFont);
    // Equations (RtfReaderMath.cpp): a part of one starts; the equation's group ends.
    void mathPart(RtfMathPart part);
    void endEquation();
    // Tables (RtfReaderTables.cpp): a cell or row mark.
    void endCell();
    void endRow();

    // Whether the paragraph being read belongs to a table: marked \intbl, or read between a row's
    // \trowd and its \row (pandoc resets \intbl with \pard inside cells), or ended by \cell, or
    // in a text box anchored in a table.
    bool inTable() const;
    // The code page of bytes in this state, and of those read now.
    int codePageOf(const RtfCharacterState& character) const;
    int textCodePage() const;
    // The format of characters in this state, in a face the document's budget admits.
    QTextCharFormat charFormat(const RtfCharacterState& character);
    QTextBlockFormat blockFormat() const;

    // Pictures and shapes
    void drawingDestination(const RtfControlWord& word);
    // The value words of pictures and shapes; false for another word.
    bool drawingValue(const RtfControlWord& word, std::int32_t parameter);
    // The text of a text box begins: the paragraph it is anchored in ends before it.
    void startShapeText();
    // Called before a group closes: a picture's group puts the picture in, a text box's text
    // ends its last paragraph.
    void endDrawingGroup();
    void insertPicture();

    RtfGroupState& state() { return stack_.back(); }
    // Where text goes: the body, or the notes while a note is read.
    RtfDocumentBuilder& out() { return state().inNote ? notes_.builder() : builder_; }

    QTextDocument& document_;
    RtfRowDefinition row_;
    RtfDocumentBuilder builder_;
    RtfNotes notes_;
    std::size_t noteDepth_ = 0;    // the depth of the note group being read
    std::vector<RtfField> fields_; // the fields being read, innermost last
    CodePageDecoder decoder_;

    RtfLexer* lexer_ = nullptr;
    std::vector<RtfGroupState> stack_;
    std::size_t overflowDepth_ = 0;
    bool ignorableNext_ = false;   // \* came before the next control word
    bool starOpenedGroup_ = false; // and was the first token of its group
    bool groupJustOpened_ = false;
    std::int32_t defaultTab_ = 720;   // \deftab, twips
    bool unicodeVersionNext_ = false; // the ANSI version before it was passed over
    RtfStyleSheet styles_;
    int stylesApplied_ = 0; // since the last \pard
    std::size_t versionsScannedTo_ = 0;
    bool finished_ = false;

    int documentCodePage_ = 1252;
    RtfFontTable fonts_;
    RtfColorTable colors_;
    FontFaceBudget faces_;
    SystemFamilies families_;
    RecentCharFormats recentFormats_;
    RtfLists lists_{fonts_, decoder_, documentCodePage_};

    bool rowOpen_ = false;
    bool cellMarkSeen_ = false;
    bool sectionBreakPage_ = true;
    bool sectionBreakPending_ = false;

    LongWordBreaker words_;

    // Text gathered under one character state, handed to the builder in one piece.
    RtfCharacterState pendingState_;
    bool pendingNumberText_ = false; // of a \listtext or \pntext, which the lists keep
    int pendingMathPart_ = -1;       // of an equation, which math_ keeps until it ends
    std::string pendingBytes_;
    bool leadOpen_ = false; // pendingBytes_ ends with a lead byte waiting for its trail byte
    QString pendingText_;

    RtfPictures pictures_;
    RtfShapes shapes_;
    // The pictures of picture bullets, by number; those that did not decode stay empty.
    static constexpr std::size_t MaxListPictures = 1000;
    std::vector<std::optional<RtfPictureOutput>> listPictures_;
    RtfMath math_;
};

} // namespace qtbackend
