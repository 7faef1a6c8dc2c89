#pragma once

#include <string_view>

namespace qtbackend {

// The bitmap a Windows metafile (WMF) draws, as a device-independent bitmap (a BITMAPINFO and
// its pixels), when bitmaps are all it draws: word processors wrap pictures so for readers that
// know no other format. Of several (a picture and its transparency mask), the one of most
// colours, the last of those. Empty for a metafile that draws lines, shapes or text, as its
// bitmap alone would be a wrong picture of it.
std::string_view windowsMetafileBitmap(std::string_view metafile);

} // namespace qtbackend
