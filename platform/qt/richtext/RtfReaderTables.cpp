// The reader's side of tables: cell and row marks, handed to the builder, which gathers the rows
// (see RtfTableRows).

#include "platform/qt/richtext/RtfControlWords.h"
#include "platform/qt/richtext/RtfReader.h"

namespace qtbackend {

void RtfReader::endCell() {
    if (state().inNote) {
        appendCharacter(u'\t'); // notes hold no tables: cells go on the line
        return;
    }
    cellMarkSeen_ = true; // a cell mark is in a table, \intbl or not
    placeWrittenNumber();
    endParagraphText();
    resolveSectionBreak();
    builder_.endCell(blockFormat(), charFormat(state().character));
    lists_.endParagraph();
}

void RtfReader::endRow() {
    if (state().inNote) {
        symbol(*findRtfControlWord("par"));
        return;
    }
    cellMarkSeen_ = true;
    endParagraphText();
    builder_.endRow();
    rowOpen_ = false;
    cellMarkSeen_ = false;
}

} // namespace qtbackend
