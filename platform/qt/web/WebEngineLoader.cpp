#include "platform/qt/web/WebEngineLoader.h"

#include "platform/Failure.h"

namespace qtbackend {

std::unique_ptr<platform::WebEngine> loadWebEngine(QWidget*, const platform::ControlPlacement&,
                                                   platform::WebEngineEvents) {
    platform::raise(platform::ErrorNumber::ObjectRequired);
}

} // namespace qtbackend
