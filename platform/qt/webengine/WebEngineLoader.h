#pragma once

#include <memory>

#include <QString>
#include <QWidget>

#include "platform/Backend.h"

namespace qtbackend {

// The web browser's engine, inside parent at placement. Loads the web module from the
// executable's directory on first use; fails when it is missing or cannot be loaded.
std::unique_ptr<platform::WebEngine> loadWebEngine(QWidget* parent,
                                                   const platform::ControlPlacement& placement,
                                                   platform::WebEngineEvents events);

// The same, with the web module taken from directory.
std::unique_ptr<platform::WebEngine> loadWebEngineFrom(const QString& directory, QWidget* parent,
                                                       const platform::ControlPlacement& placement,
                                                       platform::WebEngineEvents events);

} // namespace qtbackend
