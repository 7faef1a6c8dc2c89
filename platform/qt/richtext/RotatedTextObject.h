#pragma once

#include <QObject>
#include <QTextObjectInterface>

class QTextDocument;

namespace qtbackend {

// Lays out and draws a line of text turned a quarter (a table cell's vertical text, which Qt's
// tables cannot turn): as wide as the line is high, as high as the text is long, and made
// smaller when it is longer than the page is high.
class RotatedTextObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument* document, int position, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int position,
                    const QTextFormat& format) override;
};

// The format of an object that prints text in the font and colour of format, turned by degrees
// clockwise (90 or 270).
QTextCharFormat rotatedTextFormat(const QString& text, const QTextCharFormat& format, int degrees);

} // namespace qtbackend
