#include "platform/qt/richtext/TextObjectHandlers.h"

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>

#include "platform/qt/richtext/RotatedTextObject.h"
#include "platform/qt/richtext/RtfPictureObject.h"

namespace qtbackend {

namespace {

bool hasHandlers(const QTextDocument& document) {
    return document.findChild<RtfPictureObject*>(QString(), Qt::FindDirectChildrenOnly) != nullptr;
}

} // namespace

void registerTextObjectHandlers(QTextDocument& document) {
    if (hasHandlers(document)) {
        return;
    }
    auto* pictures = new RtfPictureObject(&document);
    auto* rotatedText = new RotatedTextObject(&document);
    const auto install = [&document, pictures, rotatedText] {
        document.documentLayout()->registerHandler(QTextFormat::ImageObject, pictures);
        document.documentLayout()->registerHandler(RotatedTextObjectType, rotatedText);
    };
    if (document.findChild<QAbstractTextDocumentLayout*>(QString(), Qt::FindDirectChildrenOnly) !=
        nullptr) {
        install();
    }
    QObject::connect(&document, &QTextDocument::documentLayoutChanged, pictures, install);
}

void registerTextObjectHandlers(const QTextDocument& source, QTextDocument& copy) {
    if (hasHandlers(source)) {
        registerTextObjectHandlers(copy);
    }
}

} // namespace qtbackend
