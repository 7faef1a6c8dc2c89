#include "platform/qt/richtext/RtfControlWords.h"
#include "platform/qt/richtext/RtfReader.h"

namespace qtbackend {

void RtfReader::drawingDestination(const RtfControlWord& word) {
    RtfDestination& destination = state().destination;
    const RtfDestination parent = destination;
    switch (word.word) {
    case RtfWord::ListPicture:
        destination = parent == RtfDestination::ListTable ? RtfDestination::ListPicture
                                                          : RtfDestination::Skip;
        break;
    case RtfWord::Picture:
        destination = parent == RtfDestination::Body || parent == RtfDestination::PictureProperty ||
                              parent == RtfDestination::ListPicture
                          ? RtfDestination::Picture
                          : RtfDestination::Skip;
        if (destination == RtfDestination::Picture) {
            // A picture shape's picture fills the shape.
            pictures_.begin(parent == RtfDestination::PictureProperty ? shapes_.frame() : QSizeF());
        }
        break;
    case RtfWord::ShapePicture:
        if (parent == RtfDestination::Body) {
            pictures_.beginShapePicture();
        } else if (parent != RtfDestination::ListPicture) {
            destination = RtfDestination::Skip;
        }
        break;
    case RtfWord::NonShapePicture:
        // Never both: Word's own picture, where there is one, stands for this one. Among picture
        // bullets, a picture counts once.
        if (parent != RtfDestination::Body || pictures_.repeatsShapePicture()) {
            destination = RtfDestination::Skip;
        }
        break;
    default:
        destination = shapes_.destination(word.word, parent);
        if (destination == RtfDestination::Body && parent == RtfDestination::Shape) {
            startShapeText();
        }
        break;
    }
}

bool RtfReader::drawingValue(const RtfControlWord& word, std::int32_t parameter) {
    switch (state().destination) {
    case RtfDestination::Picture:
        return pictures_.value(word.word, parameter);
    case RtfDestination::Shape:
        return shapes_.value(word.word, parameter);
    default:
        return false;
    }
}

void RtfReader::startShapeText() {
    flushText();
    const bool anchoredInTable = inTable();
    out().closeParagraph(blockFormat(), charFormat(state().character), anchoredInTable);
    state().anchoredInTable = anchoredInTable;
}

void RtfReader::endDrawingGroup() {
    const RtfDestination closing = state().destination;
    const RtfDestination parent = stack_[stack_.size() - 2].destination;
    if (closing == RtfDestination::Picture && parent == RtfDestination::ListPicture) {
        if (listPictures_.size() < MaxListPictures) {
            listPictures_.push_back(pictures_.finish());
        }
    } else if (closing == RtfDestination::Picture && parent != RtfDestination::Picture) {
        insertPicture();
    } else if (closing == RtfDestination::Body && parent == RtfDestination::Shape) {
        // The text box's last paragraph ends with it; the anchor's text goes on after it.
        flushText();
        out().closeParagraph(blockFormat(), charFormat(state().character), inTable());
    }
}

void RtfReader::insertPicture() {
    flushText();
    const std::optional<RtfPictureOutput> picture = pictures_.finish();
    if (!picture || state().character.hidden) {
        return;
    }
    resolveSectionBreak();
    out().insertImage(picture->image, picture->size, charFormat(state().character), inTable());
    if (stack_[stack_.size() - 2].destination == RtfDestination::PictureProperty) {
        shapes_.pictureShown();
    }
}

} // namespace qtbackend
