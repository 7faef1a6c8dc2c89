#include "platform/qt/richtext/RotatedTextObject.h"

#include <algorithm>

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <QTextFormat>

#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/TextObjectHandlers.h"

namespace qtbackend {

namespace {

struct TurnedLine {
    QFont font;
    QString text;
    double scale = 1; // to fit the page's height
    double length = 0;
    double height = 0;
    double ascent = 0;
};

TurnedLine measure(QTextDocument* document, const QTextFormat& format) {
    TurnedLine line;
    QPaintDevice* device = document->documentLayout()->paintDevice();
    line.font = format.toCharFormat().font().resolve(document->defaultFont());
    line.text = format.stringProperty(richtext::RotatedTextKey);
    const QFontMetricsF metrics =
        device != nullptr ? QFontMetricsF(line.font, device) : QFontMetricsF(line.font);
    line.length = metrics.horizontalAdvance(line.text);
    line.height = metrics.ascent() + metrics.descent();
    line.ascent = metrics.ascent();
    const double page = document->pageSize().height();
    if (page > 0 && line.length > page) {
        line.scale = page / line.length;
    }
    return line;
}

} // namespace

QSizeF RotatedTextObject::intrinsicSize(QTextDocument* document, int, const QTextFormat& format) {
    const TurnedLine line = measure(document, format);
    return QSizeF(line.height, line.length) * line.scale;
}

void RotatedTextObject::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document,
                                   int, const QTextFormat& format) {
    const TurnedLine line = measure(document, format);
    const QTextCharFormat character = format.toCharFormat();
    painter->save();
    painter->setFont(QFont(line.font, painter->device()));
    painter->setPen(character.foreground().color());
    // Down the right-hand side when turned clockwise, so that the letters' tops face right; up
    // from the bottom otherwise, their tops facing left.
    const bool clockwise = format.intProperty(richtext::RotationKey) == 90;
    if (clockwise) {
        painter->translate(rect.right() - line.ascent * line.scale, rect.top());
        painter->rotate(90);
    } else {
        painter->translate(rect.left() + line.ascent * line.scale, rect.bottom());
        painter->rotate(-90);
    }
    painter->scale(line.scale, line.scale);
    painter->drawText(QPointF(0, 0), line.text);
    painter->restore();
}

QTextCharFormat rotatedTextFormat(const QString& text, const QTextCharFormat& format, int degrees) {
    QTextCharFormat object = format;
    object.setObjectType(RotatedTextObjectType);
    object.setProperty(richtext::RotatedTextKey, text);
    object.setProperty(richtext::RotationKey, degrees);
    return object;
}

} // namespace qtbackend
