#pragma once

#include <QTextFormat>

namespace qtbackend::richtext {

// Properties of our own on the formats the RTF reader makes; Qt's layout ignores them.

// Tells formats apart that Qt's format table would otherwise hash alike (see RtfReader).
constexpr int FormatKey = QTextFormat::UserProperty + 1;

// A paragraph's side margins and first-line indent as the file gave them, in twips, so that they
// can be set again in the pixels of whatever device the document is laid out on.
constexpr int LeftMarginTwips = QTextFormat::UserProperty + 2;
constexpr int RightMarginTwips = QTextFormat::UserProperty + 3;
constexpr int TextIndentTwips = QTextFormat::UserProperty + 4;

} // namespace qtbackend::richtext
