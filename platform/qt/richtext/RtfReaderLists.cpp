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
    flushText(); // the written number text goes to the lists
    const RtfLists::ItemNumber number = lists_.number(state().paragraph);
    if (!number.written.empty() || !number.counted.text.isEmpty()) {
        resolveSectionBreak();
    }
    if (placePictureBullet(number)) {
        return;
    }
    for (const RtfNumberRun& run : number.written) {
        builder_.insertText(run.text, run.format, inTable());
    }
    if (number.counted.text.isEmpty() || state().character.hidden) {
        return;
    }
    // The counted number takes the paragraph's character formatting, in its level's font and
    // size where it has them, without the marks that belong to the text.
    RtfCharacterState character = state().character;
    if (number.counted.font >= 0) {
        character.font = number.counted.font;
    }
    if (number.counted.halfPoints > 0) {
        character.halfPoints = number.counted.halfPoints;
    }
    character.underline = QTextCharFormat::NoUnderline;
    character.strike = false;
    character.vertical = QTextCharFormat::AlignNormal;
    builder_.insertText(sanitizeInlineText(number.counted.text),
                        numberFormat(character, state().character.font), inTable());
}

// A picture bullet prints its picture where the number would be, in place of the character a
// writer puts in the number text for readers without pictures.
bool RtfReader::placePictureBullet(const RtfLists::ItemNumber& number) {
    const auto index = static_cast<std::size_t>(number.picture);
    if (number.picture < 0 || index >= listPictures_.size() || !listPictures_[index] ||
        state().character.hidden) {
        return false;
    }
    resolveSectionBreak();
    const RtfPictureOutput& picture = *listPictures_[index];
    const QTextCharFormat format = charFormat(state().character);
    builder_.insertImage(picture.image, picture.size, format, inTable());
    if (!number.follow.isEmpty()) {
        builder_.insertText(number.follow, format, inTable());
    }
    return true;
}

void RtfReader::placeWrittenNumber() {
    flushText();
    if (lists_.numberWritten()) {
        placeListNumber();
    }
}

// Bullets from Symbol and Wingdings are read as the Unicode characters they show; printed in
// the symbol font itself they would show another glyph or none, so they take another font.
QTextCharFormat RtfReader::numberFormat(RtfCharacterState character, std::int32_t plainFont) {
    const RtfFont* font = fonts_.find(character.font);
    if (font != nullptr && font->symbol != SymbolFont::None) {
        const RtfFont* plain = fonts_.find(plainFont);
        character.font = plain != nullptr && plain->symbol == SymbolFont::None ? plainFont : -1;
    }
    return charFormat(character);
}

} // namespace qtbackend
