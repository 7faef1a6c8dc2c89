#include "platform/qt/richtext/RtfPictureObject.h"

#include <algorithm>

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <QTextFormat>
#include <QUrl>
#include <QVariant>

namespace qtbackend {

namespace {

// Sizes in the formats are in 1/96 inch, as in Qt's own.
constexpr double FormatDotsPerInch = 96.0;

} // namespace

QSizeF RtfPictureObject::intrinsicSize(QTextDocument* document, int, const QTextFormat& format) {
    const QTextImageFormat picture = format.toImageFormat();
    QSizeF size(picture.width(), picture.height());
    if (const QPaintDevice* device = document->documentLayout()->paintDevice()) {
        size.rwidth() *= device->logicalDpiX() / FormatDotsPerInch;
        size.rheight() *= device->logicalDpiY() / FormatDotsPerInch;
    }
    const QSizeF page = document->pageSize();
    if (size.width() > 0 && size.height() > 0 && page.width() > 0 && page.height() > 0) {
        size *= std::min({1.0, page.width() / size.width(), page.height() / size.height()});
    }
    return size;
}

void RtfPictureObject::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document,
                                  int, const QTextFormat& format) {
    const QString name = format.toImageFormat().name();
    if (name.isEmpty()) {
        return; // a blank box
    }
    const QVariant image = document->resource(QTextDocument::ImageResource, QUrl(name));
    if (image.userType() == QMetaType::QImage) {
        painter->drawImage(rect, image.value<QImage>());
    }
}

} // namespace qtbackend
