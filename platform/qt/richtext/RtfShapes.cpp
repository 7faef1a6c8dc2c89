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
        if (!inShape && parent != D::Body) {
            return D::Skip;
        }
        if (parent == D::Body) {
            instanceSeen_ = false; // a new shape in the text, not one of a group
        }
        pictureShown_ = false;
        frameInTwips_ = parent == D::Body;
        left_ = top_ = right_ = bottom_ = 0;
        return D::Shape;
    case RtfWord::ShapeInstance:
        instanceSeen_ = instanceSeen_ || inShape;
        return inShape ? D::Shape : D::Skip;
    case RtfWord::ShapeResult:
        return (inShape || parent == D::Body) && !instanceSeen_ ? D::Body : D::Skip;
    case RtfWord::ShapeText:
        return inShape && !pictureShown_ ? D::Body : D::Skip;
    case RtfWord::DrawingText:
        return inShape ? D::Body : D::Skip;
    case RtfWord::ShapeProperty:
        propertyName_.clear();
        return inShape ? D::Shape : D::Skip;
    case RtfWord::ShapePropertyName:
        return inShape ? D::ShapePropertyName : D::Skip;
    case RtfWord::ShapePropertyValue:
        if (inShape && propertyName_ == "pib") {
            return D::PictureProperty;
        }
        // The words of a WordArt shape, which writers also give plain shapes with text.
        return inShape && propertyName_ == "gtextUNICODE" ? D::Body : D::Skip;
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

bool RtfShapes::value(RtfWord word, std::int32_t parameter) {
    switch (word) {
    case RtfWord::ShapeLeft:
        left_ = parameter;
        return true;
    case RtfWord::ShapeTop:
        top_ = parameter;
        return true;
    case RtfWord::ShapeRight:
        right_ = parameter;
        return true;
    case RtfWord::ShapeBottom:
        bottom_ = parameter;
        return true;
    default:
        return false;
    }
}

QSizeF RtfShapes::frame() const {
    const double width = double(right_) - left_;
    const double height = double(bottom_) - top_;
    return frameInTwips_ && width > 0 && height > 0 ? QSizeF(width, height) : QSizeF();
}

void RtfShapes::propertyName(std::string_view bytes) {
    for (const char c : bytes) {
        if (c != ' ' && propertyName_.size() < MaxPropertyName) {
            propertyName_.push_back(c);
        }
    }
}

} // namespace qtbackend
