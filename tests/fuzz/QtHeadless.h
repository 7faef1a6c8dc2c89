#pragma once

#include <cstdlib>

#include <QGuiApplication>

namespace fuzzing {

// Fuzz targets that build QTextDocuments need a GUI application for fonts; the offscreen
// platform needs no display. Created once, kept for the whole run.
inline void startHeadlessQt() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

} // namespace fuzzing
