// The reader's side of equations: each part of an equation gathers its text in RtfMath until
// the equation's group ends, and then the equation prints as one line of text.

#include "platform/qt/richtext/RtfReader.h"

namespace qtbackend {

void RtfReader::mathPart(RtfMathPart part) {
    int& current = state().mathPart;
    if (current >= 0) {
        current =
            math_.open(current, part == RtfMathPart::Equation ? RtfMathPart::Container : part);
    } else if (part == RtfMathPart::Equation) {
        current = math_.begin(stack_.size(), state().character);
    }
    // Other parts outside an equation (\mmath around it) are read as any group.
}

void RtfReader::endEquation() {
    flushText();
    state().mathPart = -1;
    const RtfCharacterState character = state().character;
    for (const RtfMathPiece& piece : math_.finish()) {
        state().character = piece.character;
        appendString(piece.text);
    }
    flushText();
    state().character = character;
}

} // namespace qtbackend
