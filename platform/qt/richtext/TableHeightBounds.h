#pragma once

#include <vector>

class QPaintDevice;
class QTextTable;

namespace qtbackend {

// The most each row of table can take in height when laid out on target, in target pixels,
// without shaping any text: every character on a line of its own, each line as tall as its
// tallest font (and a fallback font) allows, with paragraph spacing and cell padding, and twice
// that for the room page breaks can leave. A cell belongs to the row it begins in. scale turns
// the formats' pixels into target pixels.
std::vector<double> rowHeightBounds(const QTextTable& table, const QPaintDevice& target,
                                    double scale);

} // namespace qtbackend
