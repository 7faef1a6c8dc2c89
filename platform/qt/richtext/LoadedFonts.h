#pragma once

#include <vector>

#include <QFont>

class QPaintDevice;
class QTextDocument;

namespace qtbackend {

// The fonts of a document's character formats, loaded for one paint device and kept loaded while
// the document is laid out and drawn on it. Qt's font cache drops engines nobody holds once a few
// hundred are cached, and a document that switches faces often would then load each one again
// for every run of text, in layout and once more in drawing.
class LoadedFonts {
public:
    void load(const QTextDocument& document, const QPaintDevice& device);
    void release() { fonts_.clear(); }

private:
    std::vector<QFont> fonts_;
};

} // namespace qtbackend
