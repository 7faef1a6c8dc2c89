#include "platform/qt/webengine/WebEngineLoader.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QLibrary>

#include "platform/Failure.h"
#include "platform/qt/webengine/QtWebEngine.h"
#include "platform/qt/webengine/WebEngineModule.h"

namespace qtbackend {

namespace {

// Chromium's sandbox cannot run as root and Chromium then ends the whole process. Someone who
// runs Quillet as root already has every right the sandbox would keep from a page, and the page
// is a local file they named, so the engine runs without it. Any other user keeps the sandbox,
// and an explicit setting is left alone.
void allowRootWithoutSandbox() {
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
}

// Chromium logs to standard error on its own, past Qt's message handler; Quillet reports nothing.
// QUILLET_DEBUG=1 lets it talk, as it does Qt's messages.
void quietEngine() {
    // Qt's shader cache would otherwise write into the home folder.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    if (qgetenv("QUILLET_DEBUG") != "1") {
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + " --log-level=3");
    }
}

// The module's entry point; the module stays loaded for the rest of the run.
CreateWebView webModuleEntry(const QString& directory) {
    QLibrary module(directory + QLatin1Char('/') + QLatin1String(WebModuleFileName));
    module.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    auto entry = reinterpret_cast<CreateWebView>(module.resolve(CreateWebViewSymbol));
    if (entry == nullptr) {
        platform::raise(platform::ErrorNumber::ObjectRequired,
                        "web module: " + module.errorString().toStdString());
    }
    return entry;
}

} // namespace

std::unique_ptr<platform::WebEngine> loadWebEngine(QWidget* parent,
                                                   const platform::ControlPlacement& placement,
                                                   platform::WebEngineEvents events) {
    return loadWebEngineFrom(QCoreApplication::applicationDirPath(), parent, placement,
                             std::move(events));
}

std::unique_ptr<platform::WebEngine> loadWebEngineFrom(const QString& directory, QWidget* parent,
                                                       const platform::ControlPlacement& placement,
                                                       platform::WebEngineEvents events) {
    if (parent == nullptr) {
        platform::raise(platform::ErrorNumber::ObjectRequired);
    }
    const CreateWebView create = webModuleEntry(directory);
    allowRootWithoutSandbox();
    quietEngine();

    const int dpi = parent->logicalDpiX();
    const auto pixels = [dpi](int twips) { return twips * dpi / 1440; };
    const QRect geometry(pixels(placement.left), pixels(placement.top), pixels(placement.width),
                         pixels(placement.height));
    auto documentComplete = std::move(events.documentComplete);
    std::unique_ptr<WebView> view(create(parent, geometry, [documentComplete](const QUrl& url) {
        if (documentComplete) {
            documentComplete(url.toString().toStdU16String());
        }
    }));
    return std::make_unique<QtWebEngine>(parent, std::move(view));
}

} // namespace qtbackend
