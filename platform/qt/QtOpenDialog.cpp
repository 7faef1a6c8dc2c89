#include "platform/qt/QtBackend.h"

namespace qtbackend {

std::u16string QtBackend::showOpenDialog(const platform::OpenDialogRequest&,
                                         platform::WindowPeer*) {
    return {};
}

} // namespace qtbackend
