#pragma once

#include <cstdint>

#include <QImage>

namespace qtbackend {

struct RtfPicture;

// What a decoded picture costs at least, in bytes of the pictures' budget: decoding it, and its
// place in the layout and in the printed file, so that a flood of small pictures is bounded as
// well (to 8192 different ones in a document).
inline constexpr std::int64_t MinimumPictureCost = std::int64_t{64} << 10;
// What a blank box costs: its format and its place in the layout.
inline constexpr std::int64_t BlankBoxCost = std::int64_t{4} << 10;

// Takes what a picture of this many pixels costs (4 bytes each, at least MinimumPictureCost)
// from budget; false, leaving budget as it was, when that is more than it holds or more than
// one picture may take (MaxDecodedPictureBytes).
bool chargePicture(std::int64_t pixels, std::int64_t& budget);

// Decodes the data of a PNG, JPEG, DIB or device-dependent bitmap picture, or the bitmap a
// Windows metafile draws, with Qt's image readers. Its size is read from its header and charged
// before any pixel is decoded. A null image for data that cannot be read or a picture the budget
// cannot take.
QImage decodeRtfPicture(const RtfPicture& picture, std::int64_t& budget);

} // namespace qtbackend
