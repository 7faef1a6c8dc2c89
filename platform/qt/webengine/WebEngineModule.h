#pragma once

#include <functional>

#include <QByteArray>
#include <QPageLayout>
#include <QPageRanges>
#include <QRect>
#include <QUrl>
#include <QWidget>

// The boundary between the executable and libquillet_web.so, the module that holds Qt WebEngine.
// Only the web page road loads the module, so no other road maps Chromium. The module speaks
// plain Qt: failures, file checks and the print server stay on the executable's side.
namespace qtbackend {

// A web page in a Qt WebEngine view, a child widget of a form's window.
class WebView {
public:
    virtual ~WebView() = default;

    // Starts loading url and returns without waiting.
    virtual void load(const QUrl& url) = 0;
    // Whether a document has finished loading.
    virtual bool hasDocument() const = 0;
    // The loaded document's title, or its address when it has none.
    virtual QString title() const = 0;
    // The loaded document laid out for print (text stays text, no header or footer). Handles
    // events while it waits, and waits on when the view goes or the event loops are told to quit
    // meanwhile; empty when the engine failed or gave no answer within two minutes.
    virtual QByteArray printToPdf(const QPageLayout& layout, const QPageRanges& ranges) = 0;
};

// Called through the event loop, on a fresh stack, each time a document finished loading.
using WebViewLoaded = std::function<void(const QUrl& url)>;

// The module's one entry point: a view at geometry (pixels) inside parent.
using CreateWebView = WebView* (*)(QWidget* parent, const QRect& geometry, WebViewLoaded loaded);
inline constexpr char CreateWebViewSymbol[] = "quillet_createWebView";
// The module's file name, looked up in the executable's directory.
inline constexpr char WebModuleFileName[] = "libquillet_web.so";

} // namespace qtbackend
