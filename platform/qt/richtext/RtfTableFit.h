#pragma once

class QPaintDevice;
class QTextDocument;

namespace qtbackend {

// Fits the tables read from RTF to a text area width, in pixels of the device the document is
// laid out on: a table whose columns would reach beyond the area is drawn smaller to fit it, its
// left margin, columns and text in proportion (the text to half its size at least), each column
// with room for its widest character; one that fits keeps the widths its file gives. Each fit
// starts from those widths, so that the document can be fitted to one area after another.
void fitTablesToWidth(QTextDocument& document, QPaintDevice& device, int width);

} // namespace qtbackend
