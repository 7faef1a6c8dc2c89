#include "platform/qt/richtext/LoadedFonts.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QTextDocument>
#include <QTextFormat>

namespace qtbackend {

void LoadedFonts::load(const QTextDocument& document, const QPaintDevice& device) {
    fonts_.clear();
    const QFont documentFont = document.defaultFont();
    const QList<QTextFormat> formats = document.allFormats();
    for (const QTextFormat& format : formats) {
        if (!format.isCharFormat()) {
            continue;
        }
        // The font as the layout asks for it: the format's, over the document's, at the device's
        // resolution. Measuring it loads its engine.
        QFont font(format.toCharFormat().font().resolve(documentFont), &device);
        QFontMetricsF(font).height();
        fonts_.push_back(std::move(font));
    }
}

} // namespace qtbackend
