#include "platform/qt/richtext/FontFaceBudget.h"

#include <cstdlib>
#include <limits>

#include <QHashFunctions>

namespace qtbackend {

size_t qHash(const FontFace& face, size_t seed) {
    return qHashMulti(seed, face.family, face.halfPoints, face.bold, face.italic);
}

FontFace FontFaceBudget::admit(const FontFace& wanted) {
    const auto found = chosen_.constFind(wanted);
    if (found != chosen_.constEnd()) {
        return faces_[found.value()];
    }
    const bool room = faces_.size() < MaxFaces &&
                      (families_.contains(wanted.family) || families_.size() < MaxFamilies);
    const std::size_t index = room ? faces_.size() : nearest(wanted);
    if (index == faces_.size()) {
        faces_.push_back(wanted);
        families_.insert(wanted.family);
    }
    chosen_.insert(wanted, index);
    return faces_[index];
}

std::size_t FontFaceBudget::nearest(const FontFace& wanted) const {
    // A different family weighs more than a different style, which weighs more than any
    // difference in size (sizes run from 2 to 3276 half-points).
    const auto distance = [&wanted](const FontFace& face) {
        return (face.family != wanted.family ? 100000 : 0) +
               (face.bold != wanted.bold ? 10000 : 0) + (face.italic != wanted.italic ? 10000 : 0) +
               std::abs(face.halfPoints - wanted.halfPoints);
    };
    std::size_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < faces_.size(); ++i) {
        const int d = distance(faces_[i]);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace qtbackend
