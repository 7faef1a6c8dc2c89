#include "platform/qt/richtext/SystemFamilies.h"

#include <QFont>
#include <QFontInfo>
#include <QStringList>

namespace qtbackend {

namespace {

QString printedFamily(const QString& family) {
    QFont font;
    font.setFamilies(QStringList{family});
    return QFontInfo(font).family();
}

} // namespace

bool SystemFamilies::knows(const QString& family) {
    if (family.isEmpty()) {
        return false;
    }
    auto found = known_.constFind(family);
    if (found == known_.constEnd()) {
        if (known_.size() >= MaxFamilies) {
            return false;
        }
        if (unknown_.isEmpty()) {
            unknown_ = printedFamily(QStringLiteral("No Such Family \u2400"));
        }
        found = known_.insert(family, printedFamily(family) != unknown_);
    }
    return *found;
}

} // namespace qtbackend
