#include "platform/qt/richtext/RtfShapes.h"

#include "platform/qt/richtext/RtfControlWords.h"

namespace qtbackend {

namespace {

// Property names are short words such as "pib" or "shapeType".
constexpr std::size_t MaxPropertyName = 64;

} // namespace

RtfDestination RtfShapes::destination(RtfWord word, RtfDestination parent) {
    using D = RtfDestination;
    const bool inShape = parent == D::Shape;
    switch (word) {
    case RtfWord::Shape:
        if (parent == D::Body) {
            instanceSeen_ = false; // a new shape in the text, not one of a group
            return D::Shape;
        }
        return inShape ? D::Shape : D::Skip;
    case RtfWord::ShapeInstance:
        instanceSeen_ = instanceSeen_ || inShape;
        return inShape ? D::Shape : D::Skip;
    case RtfWord::ShapeResult:
        return (inShape || parent == D::Body) && !instanceSeen_ ? D::Body : D::Skip;
    case RtfWord::ShapeText:
    case RtfWord::DrawingText:
        return inShape ? D::Body : D::Skip;
    case RtfWord::ShapeProperty:
        propertyName_.clear();
        return inShape ? D::Shape : D::Skip;
    case RtfWord::ShapePropertyName:
        return inShape ? D::ShapePropertyName : D::Skip;
    case RtfWord::ShapePropertyValue:
        return inShape && propertyName_ == "pib" ? D::PictureProperty : D::Skip;
    case RtfWord::DrawingObject:
        return inShape || parent == D::Body ? D::Shape : D::Skip;
    case RtfWord::Object:
        return parent == D::Body ? D::Object : D::Skip;
    case RtfWord::ObjectResult:
        // What the object looks like, in the flow: its data is for the program that made it.
        return parent == D::Object ? D::Body : D::Skip;
    default:
        return D::Skip;
    }
}

void RtfShapes::propertyName(std::string_view bytes) {
    for (const char c : bytes) {
        if (c != ' ' && propertyName_.size() < MaxPropertyName) {
            propertyName_.push_back(c);
        }
    }
}

} // namespace qtbackend
