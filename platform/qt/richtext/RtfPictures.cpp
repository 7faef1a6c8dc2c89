#include "platform/qt/richtext/RtfPictures.h"

#include <algorithm>

#include <QByteArray>
#include <QCryptographicHash>
#include <QRect>

#include "platform/qt/QtPictureLoader.h"
#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/RtfControlWords.h"
#include "platform/qt/richtext/RtfLexer.h"
#include "platform/qt/richtext/RtfPictureDecoder.h"

namespace qtbackend {

namespace {

// The longest side a picture prints at: 22 inches, the largest page RTF describes.
constexpr double MaxPictureTwips = 31680;
constexpr double TwipsPerHimetric = 1440.0 / 2540.0;

bool isMetafile(const RtfPicture& picture) {
    return picture.format == RtfPictureFormat::WindowsMetafile ||
           picture.format == RtfPictureFormat::Metafile;
}

// The picture's own size in twips: a metafile's \picw and \pich in hundredths of a millimetre,
// or the pixels of its image at 96 to the inch.
QSizeF naturalTwips(const RtfPicture& picture, const QImage& image) {
    if (isMetafile(picture) && picture.width > 0 && picture.height > 0) {
        return QSizeF(picture.width, picture.height) * TwipsPerHimetric;
    }
    return QSizeF(image.width(), image.height()) * richtext::TwipsPerPixel;
}

// \picwgoal and \pichgoal where given; a missing one follows the picture's proportions.
QSizeF goalTwips(const RtfPicture& picture, QSizeF natural) {
    double width = std::max(picture.goalWidth, 0);
    double height = std::max(picture.goalHeight, 0);
    if (width == 0 && height == 0) {
        return natural;
    }
    if (width == 0) {
        width = natural.height() > 0 ? natural.width() * height / natural.height() : 0;
    } else if (height == 0) {
        height = natural.width() > 0 ? natural.height() * width / natural.width() : 0;
    }
    return {width, height};
}

double scaled(double twips, std::int32_t percent) {
    const double factor = percent > 0 ? percent / 100.0 : 1.0;
    return std::min(twips * factor, MaxPictureTwips);
}

// The part of the picture left by its cropping (positive crops only), as fractions of its size.
QRectF shownPart(const RtfPicture& picture, QSizeF goal) {
    const double left = std::max(picture.cropLeft, 0) / goal.width();
    const double right = std::max(picture.cropRight, 0) / goal.width();
    const double top = std::max(picture.cropTop, 0) / goal.height();
    const double bottom = std::max(picture.cropBottom, 0) / goal.height();
    return {left, top, 1 - left - right, 1 - top - bottom};
}

QImage cropped(const QImage& image, const QRectF& part) {
    if (image.isNull() || part == QRectF(0, 0, 1, 1)) {
        return image;
    }
    const QRect pixels(qRound(part.left() * image.width()), qRound(part.top() * image.height()),
                       qRound(part.width() * image.width()),
                       qRound(part.height() * image.height()));
    return pixels.isEmpty() ? QImage() : image.copy(pixels);
}

} // namespace

RtfPictures::RtfPictures() : budget_(MaxDecodedPictureBytes) {}

void RtfPictures::beginShapePicture() {
    shapePicturePending_ = true;
}

bool RtfPictures::repeatsShapePicture() {
    const bool repeats = shapePictureGiven_;
    shapePictureGiven_ = false;
    shapePicturePending_ = false;
    return repeats;
}

void RtfPictures::begin(QSizeF frame) {
    picture_ = RtfPicture{};
    frame_ = frame;
    highNibble_ = -1;
    dataTooLarge_ = false;
    fromShapePicture_ = shapePicturePending_;
    shapePicturePending_ = false;
    shapePictureGiven_ = false;
}

void RtfPictures::setFormat(RtfPictureFormat format) {
    picture_.format = format;
}

bool RtfPictures::value(RtfWord word, std::int32_t parameter) {
    switch (word) {
    case RtfWord::PictureWidth:
        picture_.width = parameter;
        return true;
    case RtfWord::PictureHeight:
        picture_.height = parameter;
        return true;
    case RtfWord::PictureGoalWidth:
        picture_.goalWidth = parameter;
        return true;
    case RtfWord::PictureGoalHeight:
        picture_.goalHeight = parameter;
        return true;
    case RtfWord::PictureScaleX:
        picture_.scaleX = parameter;
        return true;
    case RtfWord::PictureScaleY:
        picture_.scaleY = parameter;
        return true;
    case RtfWord::PictureCropLeft:
        picture_.cropLeft = parameter;
        return true;
    case RtfWord::PictureCropRight:
        picture_.cropRight = parameter;
        return true;
    case RtfWord::PictureCropTop:
        picture_.cropTop = parameter;
        return true;
    case RtfWord::PictureCropBottom:
        picture_.cropBottom = parameter;
        return true;
    case RtfWord::BitmapBitsPerPixel:
        picture_.bitsPerPixel = parameter;
        return true;
    case RtfWord::BitmapPlanes:
        picture_.planes = parameter;
        return true;
    case RtfWord::BitmapWidthBytes:
        picture_.widthBytes = parameter;
        return true;
    default:
        return false;
    }
}

bool RtfPictures::wantsData() const {
    // A metafile prints as a box: its data is not kept.
    return picture_.format != RtfPictureFormat::Metafile && !dataTooLarge_;
}

void RtfPictures::hex(std::string_view text) {
    if (!wantsData()) {
        return;
    }
    for (const char c : text) {
        const int value = hexDigitValue(c);
        if (value < 0) {
            continue; // spaces and line ends between the digits
        }
        if (highNibble_ < 0) {
            highNibble_ = value;
        } else {
            appendByte(static_cast<char>(highNibble_ * 16 + value));
            highNibble_ = -1;
        }
    }
}

void RtfPictures::binary(std::string_view data) {
    if (!wantsData()) {
        return;
    }
    for (const char byte : data) {
        appendByte(byte);
    }
}

void RtfPictures::appendByte(char byte) {
    // No picture the decoder takes comes in more bytes than its pixels may take.
    if (static_cast<std::int64_t>(picture_.data.size()) >= MaxDecodedPictureBytes) {
        dataTooLarge_ = true;
        picture_.data = std::string();
        return;
    }
    picture_.data.push_back(byte);
}

QImage RtfPictures::decode(const RtfPicture& picture) {
    if (picture.format == RtfPictureFormat::Metafile) {
        return {};
    }
    // How the data is read belongs to the key: a device bitmap's rows are sized by its words.
    QCryptographicHash digest(QCryptographicHash::Sha256);
    const std::int32_t reading[] = {static_cast<std::int32_t>(picture.format),
                                    picture.width,
                                    picture.height,
                                    picture.bitsPerPixel,
                                    picture.planes,
                                    picture.widthBytes};
    digest.addData(QByteArrayView(reinterpret_cast<const char*>(reading), sizeof reading));
    digest.addData(
        QByteArrayView(picture.data.data(), static_cast<qsizetype>(picture.data.size())));
    const QByteArray key = digest.result();
    if (const auto found = decoded_.find(key.toStdString()); found != decoded_.end()) {
        return found->second;
    }
    if (budget_ < MinimumPictureCost) {
        return {}; // no new picture fits: not worth reading its header
    }
    QImage image = decodeRtfPicture(picture, budget_);
    decoded_.emplace(key.toStdString(), image);
    return image;
}

std::optional<RtfPictureOutput> RtfPictures::finish() {
    const RtfPicture picture = std::move(picture_);
    picture_ = RtfPicture{};
    const bool fromShapePicture = fromShapePicture_;
    fromShapePicture_ = false;

    // A metafile without a bitmap to show keeps its place as a blank box; another picture that
    // cannot be read, or that the budget cannot take, is left out.
    QImage image = decode(picture);
    if (image.isNull()) {
        if (!isMetafile(picture) || budget_ < BlankBoxCost) {
            return std::nullopt;
        }
        budget_ -= BlankBoxCost;
    }
    const QSizeF goal = goalTwips(picture, naturalTwips(picture, image));
    if (goal.width() <= 0 || goal.height() <= 0) {
        return std::nullopt;
    }
    const QRectF part = shownPart(picture, goal);
    double width = scaled(goal.width() * part.width(), picture.scaleX);
    double height = scaled(goal.height() * part.height(), picture.scaleY);
    if (!frame_.isEmpty()) {
        width = std::min(frame_.width(), MaxPictureTwips);
        height = std::min(frame_.height(), MaxPictureTwips);
    }
    if (width < 1 || height < 1) {
        return std::nullopt;
    }
    if (!image.isNull()) {
        image = cropped(image, part);
        if (image.isNull()) {
            return std::nullopt;
        }
    }
    shapePictureGiven_ = fromShapePicture;
    return RtfPictureOutput{image, QSizeF(width, height) / richtext::TwipsPerPixel};
}

} // namespace qtbackend
