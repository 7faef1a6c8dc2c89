#pragma once

#include <QFont>
#include <QStringView>

namespace qtbackend::richtext {

// Text in scripts that do not need OpenType shaping is drawn without it: no ligatures, which
// word processors do not draw by default either and whose glyphs the PDF sent to the printer can
// lose from its text ("ti" in Carlito), and plain text lays out in four fifths of the time. A
// character format that sets a style hint must set this with it, as Qt sets both together.
constexpr QFont::StyleStrategy TextStyleStrategy = QFont::PreferNoShaping;

// Whether text holds characters that only shaping puts in place, whatever its script: combining
// marks (a decomposed "é"), joiners and variation selectors. Such text is shaped.
bool needsShaping(QStringView text);

} // namespace qtbackend::richtext
