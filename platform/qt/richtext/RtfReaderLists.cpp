// The reader's side of lists: number texts written in the file, and numbers counted from the
// lists (see RtfLists).

#include "platform/qt/richtext/RtfReader.h"
#include "platform/qt/richtext/TextSanitizer.h"

namespace qtbackend {

void RtfReader::beginNumberText() {
    if (lists_.beginNumberText()) {
        state().numberText = true;
    } else {
        state().destination = RtfDestination::Skip; // the paragraph has its number already
    }
}

void RtfReader::placeListNumber() {
    if (!lists_.numberPending() || state().numberText) {
        return;
    }
    const RtfListNumber number = lists_.number(state().paragraph);
    if (number.text.isEmpty() || state().character.hidden) {
        return;
    }
    // The number takes the paragraph's character formatting, in its level's font where it has
    // one, without the marks that belong to the text.
    RtfCharacterState character = state().character;
    if (number.font >= 0) {
        character.font = number.font;
    }
    character.underline = QTextCharFormat::NoUnderline;
    character.strike = false;
    character.vertical = QTextCharFormat::AlignNormal;
    flushText();
    resolveSectionBreak();
    builder_.insertText(sanitizeInlineText(number.text), charFormat(character), inTable());
}

} // namespace qtbackend
