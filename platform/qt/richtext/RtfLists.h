#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include <QString>
#include <QTextCharFormat>

#include "platform/qt/richtext/RtfListNumbering.h"
#include "platform/qt/richtext/RtfListTable.h"
#include "platform/qt/richtext/RtfNumberText.h"
#include "platform/qt/richtext/RtfState.h"

namespace qtbackend {

class CodePageDecoder;
class RtfFontTable;
struct RtfControlWord;

// A run of the number text a writer put in \listtext or \pntext.
struct RtfNumberRun {
    QString text;
    QTextCharFormat format;
};

// Lists and numbered paragraphs for the RTF reader: reads the list tables and Word 6's
// numbering (\pn, \pnseclvl), and gives each list item the number its definition gives it.
//
// A paragraph in a list (\ls, \ilvl) prints the number its list counts. The number text its
// writer put in \listtext is printed instead where it shows that same number, with the writer's
// spacing and formatting, unless it starts with a tab (as pandoc writes it). A paragraph numbered
// the Word 6 way prints its \pntext, or where it has none or a blank one (as AbiWord writes it),
// the number its numbering counts.
// Either way every item is counted, so that a later item without a number text of its own still
// gets its right number, and a paragraph never prints two numbers.
class RtfLists {
public:
    RtfLists(const RtfFontTable& fonts, CodePageDecoder& decoder, const int& documentCodePage);

    // A destination of the lists: sets the group's destination; false for another word.
    bool destination(const RtfControlWord& word, std::int32_t parameter, RtfGroupState& group);
    // A flag or value word of the lists; false for another word.
    bool value(const RtfControlWord& word, std::int32_t parameter, RtfGroupState& group);
    // Text and \u characters: those in the lists' destinations are theirs, others are ignored.
    void text(RtfDestination destination, std::string_view bytes);
    void character(RtfDestination destination, std::int32_t character);
    // A group closes: ending is its state, parent the state it returns to.
    void endGroup(const RtfGroupState& ending, RtfGroupState& parent);

    // A \listtext or \pntext starts; false when the paragraph has its number already.
    bool beginNumberText();
    // Text of the \listtext or \pntext, kept until the paragraph's number is placed.
    void writeNumberText(const QString& text, const QTextCharFormat& format);
    // Whether the paragraph's number is yet to be placed: until its first text or its end.
    bool numberPending() const { return !numbered_; }
    bool numberWritten() const { return !written_.empty(); }
    // What the paragraph prints before its text, counted once per paragraph.
    struct ItemNumber {
        std::vector<RtfNumberRun> written; // the writer's number text
        RtfListNumber counted;             // or the counted number
        // A picture bullet: the \listpicture picture that stands for either, and what follows it.
        std::int32_t picture = -1;
        QString follow;
    };
    ItemNumber number(const RtfParagraphState& paragraph);
    void endParagraph();

    // The paragraph with the indents of its list level where it gives none of its own; nothing
    // when these change nothing.
    std::optional<RtfParagraphState> withListIndents(const RtfParagraphState& paragraph) const;

private:
    bool numberingValue(const RtfControlWord& word, std::int32_t parameter,
                        RtfParagraphNumbering& numbering) const;
    void endNumbering(const RtfGroupState& ending, RtfGroupState& parent);
    const RtfListLevel* levelOf(const RtfParagraphState& paragraph) const;

    const RtfFontTable& fonts_;
    CodePageDecoder& decoder_;
    const int& documentCodePage_;

    RtfListTable table_;
    RtfListNumbering numbering_;
    RtfSectionNumbering sectionLevels_;
    RtfNumberText text_; // of \pntxtb or \pntxta

    bool numbered_ = false;
    bool numberTextSeen_ = false;
    std::vector<RtfNumberRun> written_;
};

} // namespace qtbackend
