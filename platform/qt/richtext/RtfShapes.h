#pragma once

#include <string>
#include <string_view>

#include "platform/qt/richtext/RtfState.h"

namespace qtbackend {

enum class RtfWord;

// Where the groups of shapes (\shp, \shpgrp) and old drawing objects (\do) lead: only the text
// of their text boxes (\shptxt, \dptxbxtext) and the picture of a picture shape (the pib
// property) reach the document, in the flow where the shape is anchored. A shape's \shprslt is
// what Word writes for readers that do not know shapes, often the same text again: it is read
// only for a shape that came without its instructions (\shpinst). Of an embedded object
// (\object), only its \result is read, in the flow of the text.
class RtfShapes {
public:
    // The destination of a group that a shape's word begins, inside a group of parent's.
    RtfDestination destination(RtfWord word, RtfDestination parent);
    // Text of a ShapePropertyName group.
    void propertyName(std::string_view bytes);

private:
    bool instanceSeen_ = false;
    std::string propertyName_;
};

} // namespace qtbackend
