#include "platform/qt/webengine/WebPageView.h"

#include <memory>
#include <type_traits>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>

namespace qtbackend {

namespace {

// How long printing may take before the page is given up on.
constexpr int PrintTimeoutMs = 120000;

} // namespace

WebPageView::WebPageView(QWidget* parent, const QRect& geometry, WebViewLoaded loaded)
    : profile_(std::make_unique<QWebEngineProfile>()),
      page_(std::make_unique<QuietWebPage>(profile_.get(), nullptr)), loaded_(std::move(loaded)) {
    // A profile without a storage name is off the record: cache, cookies and storage stay in
    // memory.
    profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);

    view_ = new QWebEngineView(parent);
    view_->setPage(page_.get());
    view_->setGeometry(geometry);
    view_->setFocusPolicy(Qt::NoFocus);

    QuietWebPage* page = page_.get();
    QObject::connect(page, &QWebEnginePage::loadFinished, page, [this, page](bool ok) {
        if (!ok) {
            return;
        }
        hasDocument_ = true;
        // Delivered from the event loop rather than from inside the engine's own notification,
        // since the handler may open a modal dialog.
        QMetaObject::invokeMethod(
            page, [loaded = loaded_, url = page->url()] { loaded(url); }, Qt::QueuedConnection);
    });
    view_->show();
}

WebPageView::~WebPageView() {
    // The view before its page, the page before the profile it was made with.
    delete view_.data();
    page_.reset();
}

void WebPageView::load(const QUrl& url) {
    page_->load(url);
}

QString WebPageView::title() const {
    return page_->title();
}

QByteArray WebPageView::printToPdf(const QPageLayout& layout, const QPageRanges& ranges) {
    // Shared with the callback, which may come after this call has given up waiting.
    struct Result {
        bool done = false;
        QByteArray pdf;
    };
    auto result = std::make_shared<Result>();
    bool rendererGone = false;
    const QMetaObject::Connection watch =
        QObject::connect(page_.get(), &QWebEnginePage::renderProcessTerminated,
                         [&rendererGone] { rendererGone = true; });
    page_->printToPdf(
        [result](const QByteArray& pdf) {
            result->pdf = pdf;
            result->done = true;
        },
        layout, ranges);

    // Events are handled while waiting, but the wait does not end with the event loops: an
    // unload quits them, and the page must stay until the engine is done with it.
    const QDeadlineTimer deadline(PrintTimeoutMs);
    QTimer wake;
    wake.start(100);
    while (!result->done && !rendererGone && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QObject::disconnect(watch);
    return result->done ? result->pdf : QByteArray();
}

} // namespace qtbackend

extern "C" Q_DECL_EXPORT qtbackend::WebView*
quillet_createWebView(QWidget* parent, const QRect& geometry, qtbackend::WebViewLoaded loaded) {
    // The engine shares an OpenGL context with the application. It is set up here, when the
    // engine is first needed, so that the other roads do not pay for OpenGL at start-up.
    QtWebEngineQuick::initialize();
    return new qtbackend::WebPageView(parent, geometry, std::move(loaded));
}

static_assert(std::is_same_v<decltype(&quillet_createWebView), qtbackend::CreateWebView>);
