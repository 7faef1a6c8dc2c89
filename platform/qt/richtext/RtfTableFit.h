#pragma once

class QPaintDevice;
class QTextDocument;

namespace qtbackend {

// Fits the tables read from RTF to a text area width, in pixels of the device the document is
// laid out on: a table whose columns or characters would reach beyond the area is shrunk to it,
// its left margin and columns in proportion; one that fits keeps the widths its file gives. Each
// fit starts from those widths, so that the document can be fitted to one area after another.
void fitTablesToWidth(QTextDocument& document, QPaintDevice& device, int width);

} // namespace qtbackend
