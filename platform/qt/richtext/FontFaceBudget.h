#pragma once

#include <cstddef>
#include <vector>

#include <QHash>
#include <QSet>
#include <QString>

namespace qtbackend {

// A font face as a document asks for it: family (empty for the document's default), size in
// half-points, weight and slant.
struct FontFace {
    QString family;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool operator==(const FontFace&) const = default;
};

size_t qHash(const FontFace& face, size_t seed = 0);

// Qt loads a font engine for every distinct face a document uses, a millisecond or more each and
// far more for family names the system does not know, and its font cache thrashes once a few
// hundred are in use. Real documents use a few dozen; a hostile one can switch face on every
// character. The first MaxFaces distinct faces, of at most MaxFamilies families, print as asked;
// every further one prints in the nearest face already in use: the same family and style at the
// nearest size if there is one. (Each family the system does not know costs a sort of all its
// fonts, some 5 ms, when Qt builds the list of fonts to take missing characters from.)
class FontFaceBudget {
public:
    static constexpr std::size_t MaxFaces = 128;
    static constexpr qsizetype MaxFamilies = 32;

    // The face to print wanted in. Costs one hash lookup, once the face has been seen.
    FontFace admit(const FontFace& wanted);

private:
    std::size_t nearest(const FontFace& wanted) const;

    QHash<FontFace, std::size_t> chosen_; // every face asked for, to its index in faces_
    std::vector<FontFace> faces_;
    QSet<QString> families_; // of faces_
};

} // namespace qtbackend
