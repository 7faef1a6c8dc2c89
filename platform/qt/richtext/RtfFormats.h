#pragma once

#include <QTextBlockFormat>
#include <QTextCharFormat>

#include "platform/qt/richtext/RtfState.h"

namespace qtbackend {

class RtfColorTable;
struct RtfFont;

// The Qt format of characters in this state, in font (null: the document's default) with the
// document's colours.
QTextCharFormat rtfCharFormat(const RtfCharacterState& character, const RtfFont* font,
                              const RtfColorTable& colors);

// The Qt format of a paragraph in this state. Lengths go in as 1/96 inch; the side margins and
// first-line indent are kept in twips as well (see RichTextProperties.h).
QTextBlockFormat rtfBlockFormat(const RtfParagraphState& paragraph);

} // namespace qtbackend
