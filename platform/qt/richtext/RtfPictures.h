#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include <QImage>
#include <QSizeF>

namespace qtbackend {

enum class RtfWord;

// How a picture's data is stored.
enum class RtfPictureFormat {
    Unknown, // no format word: told apart by content, as a blip
    Blip,    // \pngblip, \jpegblip: a picture file, told apart by its content
    Dib,     // \dibitmap: a BITMAPINFO and its pixels
    Bitmap,  // \wbitmap: the rows of a device-dependent bitmap, sized by \picw, \pich, \wbm...
    WindowsMetafile, // \wmetafile: a drawing, printed when it only draws a bitmap
    Metafile,        // \emfblip, \pmmetafile, \macpict: drawings printed as blank boxes
};

// What a \pict group says of its picture; lengths in twips unless told.
struct RtfPicture {
    RtfPictureFormat format = RtfPictureFormat::Unknown;
    std::int32_t width = 0; // \picw: pixels of a bitmap, hundredths of a millimetre of a metafile
    std::int32_t height = 0;
    std::int32_t goalWidth = 0;
    std::int32_t goalHeight = 0;
    std::int32_t scaleX = 100; // percent
    std::int32_t scaleY = 100;
    std::int32_t cropLeft = 0;
    std::int32_t cropRight = 0;
    std::int32_t cropTop = 0;
    std::int32_t cropBottom = 0;
    std::int32_t bitsPerPixel = 1; // \wbmbitspixel
    std::int32_t planes = 1;       // \wbmplanes
    std::int32_t widthBytes = 0;   // \wbmwidthbytes
    std::string data;
};

// A picture ready for the flow of the text: its image, null for a blank box, and the size at
// which it prints, in 1/96 inch.
struct RtfPictureOutput {
    QImage image;
    QSizeF size;
};

// Reads the \pict groups of a document: gathers each picture's properties and data (hex digits
// or \bin bytes) and decodes it once, at the end of its group; a picture that comes again (a
// logo on every page) is decoded once and shared. Pictures are bounded one by one and all
// together by what their pixels take (MaxDecodedPictureBytes each, and the same across the
// document), so that hostile sizes and counts stay cheap. Also makes Word's choice between a
// \shppict picture and the \nonshppict one it writes for older readers.
class RtfPictures {
public:
    RtfPictures();

    // A \shppict group begins: the picture it holds is the one to print.
    void beginShapePicture();
    // A \nonshppict group begins: whether it only repeats the \shppict picture just printed
    // (Word writes the two side by side).
    bool repeatsShapePicture();

    // A \pict group begins; frame: the size in twips it fills, or empty to take its own.
    void begin(QSizeF frame);
    void setFormat(RtfPictureFormat format);
    // Sets the picture property a value word names; false for a word of no picture property.
    bool value(RtfWord word, std::int32_t parameter);
    void hex(std::string_view text);
    void binary(std::string_view data);
    // The picture just read, or nothing when it has no size or its data cannot be read.
    std::optional<RtfPictureOutput> finish();

private:
    bool wantsData() const;
    void appendByte(char byte);
    // The image of the picture's data, decoded once for all the pictures that have that data.
    QImage decode(const RtfPicture& picture);

    RtfPicture picture_;
    QSizeF frame_;
    int highNibble_ = -1;
    bool dataTooLarge_ = false;
    std::int64_t budget_;
    // Images decoded so far (null for data that could not be read), by a digest of their data.
    std::unordered_map<std::string, QImage> decoded_;
    bool shapePicturePending_ = false; // a \shppict has begun, its \pict not yet
    bool fromShapePicture_ = false;
    bool shapePictureGiven_ = false;
};

} // namespace qtbackend
