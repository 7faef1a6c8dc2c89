#pragma once

#include <QObject>
#include <QTextObjectInterface>

class QTextDocument;

namespace qtbackend {

// Lays out and draws the pictures the RTF reader puts in a document: each at the size its
// format gives in 1/96 inch, on the device the document is laid out for, and fitted into the
// page when it is larger, as it would be cut otherwise. A picture whose format names no image
// is a blank box of its size.
class RtfPictureObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument* document, int position, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int position,
                    const QTextFormat& format) override;
};

} // namespace qtbackend
