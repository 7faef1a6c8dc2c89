#pragma once

#include <QWidget>
#include <memory>

#include "platform/Backend.h"

namespace qtbackend {

std::unique_ptr<platform::WebEngine> loadWebEngine(QWidget* parent,
                                                   const platform::ControlPlacement& placement,
                                                   platform::WebEngineEvents events);

} // namespace qtbackend
