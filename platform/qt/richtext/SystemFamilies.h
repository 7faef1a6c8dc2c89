#pragma once

#include <QHash>
#include <QString>

namespace qtbackend {

// Which font families the system prints under their own name or through a twin it names for
// them: fontconfig's aliases print Times New Roman in Nimbus Roman or Liberation Serif, of the
// same widths. Qt takes a style hint's generic family over such an alias, so a document's kind of
// font (serif, sans serif) may only choose for families the system does not know, which would
// otherwise print in its default face.
class SystemFamilies {
public:
    // A font match costs milliseconds for a name the system does not know; real documents name
    // a few dozen fonts at most. Families asked for after this many count as unknown.
    static constexpr qsizetype MaxFamilies = 32;

    // One font match per family, the first time it is asked for.
    bool knows(const QString& family);

private:
    QHash<QString, bool> known_;
    QString unknown_; // the family a name nobody knows prints in
};

} // namespace qtbackend
