#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <QSizeF>

#include "platform/qt/richtext/RtfState.h"

namespace qtbackend {

enum class RtfWord;

// Where the groups of shapes (\shp, \shpgrp) and old drawing objects (\do) lead: only the text
// of their text boxes (\shptxt, \dptxbxtext) or WordArt (the gtextUNICODE property) and the
// picture of a picture shape (the pib property) reach the document, in the flow where the
// shape is anchored. A shape's \shprslt is
// what Word writes for readers that do not know shapes, often the same text again: it is read
// only for a shape that came without its instructions (\shpinst). A picture shape's picture
// fills the shape's frame, and its text box, which repeats it, is not read. Of an embedded
// object (\object), only its \result is read, in the flow of the text.
class RtfShapes {
public:
    // The destination of a group that a shape's word begins, inside a group of parent's.
    RtfDestination destination(RtfWord word, RtfDestination parent);
    // Text of a ShapePropertyName group.
    void propertyName(std::string_view bytes);
    // Sets the side of the shape's frame a value word names (\shpleft...); false for a word of
    // no side.
    bool value(RtfWord word, std::int32_t parameter);
    // The size of the shape's frame in twips; empty when not known, as for a shape in a group,
    // which is placed in the group's own units.
    QSizeF frame() const;
    // The shape's picture went into the document.
    void pictureShown() { pictureShown_ = true; }

private:
    bool instanceSeen_ = false;
    bool pictureShown_ = false;
    bool frameInTwips_ = false;
    std::int32_t left_ = 0;
    std::int32_t top_ = 0;
    std::int32_t right_ = 0;
    std::int32_t bottom_ = 0;
    std::string propertyName_;
};

} // namespace qtbackend
