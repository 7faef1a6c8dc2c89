#include "platform/qt/richtext/TextShaping.h"

#include <QChar>

namespace qtbackend::richtext {

bool needsShaping(QStringView text) {
    for (const QChar c : text) {
        switch (c.category()) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
            return true;
        default:
            break;
        }
        if (c == u'\u200D' || (c >= u'\uFE00' && c <= u'\uFE0F')) {
            return true; // zero-width joiner, variation selectors
        }
    }
    return false;
}

} // namespace qtbackend::richtext
