#pragma once

#include <QTextFormat>

namespace qtbackend::richtext {

// Lengths go into the formats in 1/96 inch, as in Qt's HTML import: 15 twips each.
constexpr double TwipsPerPixel = 15.0;

// Properties of our own on the formats the RTF reader makes; Qt's layout ignores them.

// Tells formats apart that Qt's format table would otherwise hash alike (see RtfReader).
constexpr int FormatKey = QTextFormat::UserProperty + 1;

// A paragraph's side margins and first-line indent as the file gave them, in twips, so that they
// can be set again in the pixels of whatever device the document is laid out on.
constexpr int LeftMarginTwips = QTextFormat::UserProperty + 2;
constexpr int RightMarginTwips = QTextFormat::UserProperty + 3;
constexpr int TextIndentTwips = QTextFormat::UserProperty + 4;

// Tells table formats apart by their column widths, which Qt's hash does not see.
constexpr int ColumnWidthsKey = QTextFormat::UserProperty + 5;

// A table's place and column widths as the file gave them, 1/96 inch: its left margin, then each
// column's width; what it is fitted to the text area from (see fitTablesToWidth).
constexpr int TableGeometryKey = QTextFormat::UserProperty + 6;
// The factor a table's text is scaled by to fit it to the text area (see fitTablesToWidth).
constexpr int TableTextScaleKey = QTextFormat::UserProperty + 7;
// Set on a table that goes on from the one before it: one long table is written in parts, which
// are fitted to the text area alike so that its columns do not shift where one part meets the next.
constexpr int TableContinuesKey = QTextFormat::UserProperty + 8;

// Set on a paragraph that wraps at any character: a line of a text file holding a run too long
// for Qt's word wrapping, which would take the square of the run's length (see LongWordBreaker).
constexpr int WrapAnywhereKey = QTextFormat::UserProperty + 9;

// The text of a turned line (see RotatedTextObject) and how far it is turned, degrees clockwise.
constexpr int RotatedTextKey = QTextFormat::UserProperty + 10;
constexpr int RotationKey = QTextFormat::UserProperty + 11;

} // namespace qtbackend::richtext
