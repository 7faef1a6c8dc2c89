#include "platform/qt/richtext/TextSanitizer.h"

#include <QString>

namespace qtbackend {

namespace {

enum class Treatment { Keep, Drop, Replace };

Treatment treatment(QStringView text, qsizetype index) {
    const char16_t c = text.at(index).unicode();
    if (c < 0x20) {
        return c == u'\t' ? Treatment::Keep : Treatment::Drop;
    }
    switch (c) {
    case 0x2029: // paragraph separator
    case 0xFDD0: // beginning of a frame
    case 0xFDD1: // end of a frame
    case 0xFFFC: // object replacement
        return Treatment::Replace;
    default:
        break;
    }
    if (QChar::isHighSurrogate(c)) {
        const bool paired =
            index + 1 < text.size() && QChar::isLowSurrogate(text.at(index + 1).unicode());
        return paired ? Treatment::Keep : Treatment::Replace;
    }
    if (QChar::isLowSurrogate(c)) {
        const bool paired = index > 0 && QChar::isHighSurrogate(text.at(index - 1).unicode());
        return paired ? Treatment::Keep : Treatment::Replace;
    }
    return Treatment::Keep;
}

} // namespace

void appendSanitizedText(QString& out, QStringView text) {
    qsizetype index = 0;
    while (index < text.size() && treatment(text, index) == Treatment::Keep) {
        ++index;
    }
    out.append(text.first(index));
    for (; index < text.size(); ++index) {
        switch (treatment(text, index)) {
        case Treatment::Keep:
            out.append(text.at(index));
            break;
        case Treatment::Replace:
            out.append(QChar::ReplacementCharacter);
            break;
        case Treatment::Drop:
            break;
        }
    }
}

QString sanitizeInlineText(const QString& text) {
    qsizetype index = 0;
    while (index < text.size() && treatment(text, index) == Treatment::Keep) {
        ++index;
    }
    if (index == text.size()) {
        return text;
    }
    QString clean;
    clean.reserve(text.size());
    appendSanitizedText(clean, text);
    return clean;
}

} // namespace qtbackend
