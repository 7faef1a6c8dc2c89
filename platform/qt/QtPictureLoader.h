#pragma once

#include <string>

#include "platform/Picture.h"

namespace qtbackend {

platform::Picture loadPictureFile(const std::u16string& path);

} // namespace qtbackend
