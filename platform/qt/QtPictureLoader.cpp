#include "platform/qt/QtPictureLoader.h"

#include "platform/Failure.h"

namespace qtbackend {

platform::Picture loadPictureFile(const std::u16string&) {
    platform::raise(platform::ErrorNumber::InvalidPicture);
}

} // namespace qtbackend
