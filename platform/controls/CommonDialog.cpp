#include "platform/controls/CommonDialog.h"

#include "platform/Backend.h"
#include "platform/Failure.h"
#include "platform/Runtime.h"

namespace platform {

void CommonDialog::SetMaxFileSize(std::int16_t characters) {
    if (characters < 1) {
        raise(ErrorNumber::InvalidPropertyValue);
    }
    maxFileSize_ = characters;
}

void CommonDialog::ShowOpen() {
    OpenDialogRequest request;
    request.flags = flags_;
    request.maxFileSize = maxFileSize_;
    request.fileName = fileName_;
    request.initDir = initDir_;
    request.filter = filter_;
    std::u16string selection = Runtime::current().backend().showOpenDialog(request, owner().peer());
    if (selection.size() > static_cast<std::size_t>(maxFileSize_)) {
        raise(ErrorNumber::BufferTooSmall);
    }
    fileName_ = std::move(selection);
}

} // namespace platform
