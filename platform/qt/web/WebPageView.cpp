#include "platform/qt/web/WebPageView.h"

#include <QEventLoop>
#include <QMetaObject>
#include <memory>
#include <type_traits>

namespace qtbackend {

WebPageView::WebPageView(QWidget* parent, const QRect& geometry, WebViewLoaded loaded)
    : profile_(std::make_unique<QWebEngineProfile>()), loaded_(std::move(loaded)) {
    // A profile without a storage name is off the record: cache, cookies and storage stay in
    // memory.
    profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);

    view_ = new QWebEngineView(parent);
    page_ = new QuietWebPage(profile_.get(), view_);
    view_->setPage(page_);
    view_->setGeometry(geometry);
    view_->setFocusPolicy(Qt::NoFocus);

    QObject::connect(page_, &QWebEnginePage::loadFinished, view_, [this](bool ok) {
        if (!ok || page_ == nullptr) {
            return;
        }
        hasDocument_ = true;
        // Delivered from the event loop rather than from inside the engine's own notification,
        // since the handler may open a modal dialog.
        QMetaObject::invokeMethod(
            view_, [loaded = loaded_, url = page_->url()] { loaded(url); }, Qt::QueuedConnection);
    });
    view_->show();
}

WebPageView::~WebPageView() {
    // The page goes with its view, before the profile it was made with.
    delete view_.data();
}

void WebPageView::load(const QUrl& url) {
    if (page_ != nullptr) {
        page_->load(url);
    }
}

QString WebPageView::title() const {
    return page_ != nullptr ? page_->title() : QString();
}

QByteArray WebPageView::printToPdf(const QPageLayout& layout, const QPageRanges& ranges) {
    if (page_ == nullptr) {
        return {};
    }
    // Shared with the callback, which may come after this call has given up waiting.
    struct Result {
        bool done = false;
        QByteArray pdf;
        QPointer<QEventLoop> loop;
    };
    auto result = std::make_shared<Result>();
    QEventLoop loop;
    result->loop = &loop;
    QObject::connect(page_, &QObject::destroyed, &loop, &QEventLoop::quit);
    QObject::connect(page_, &QWebEnginePage::renderProcessTerminated, &loop, &QEventLoop::quit);
    page_->printToPdf(
        [result](const QByteArray& pdf) {
            result->pdf = pdf;
            result->done = true;
            if (result->loop != nullptr) {
                result->loop->quit();
            }
        },
        layout, ranges);
    // An unload meanwhile quits every event loop, this one included.
    if (!result->done) {
        loop.exec();
    }
    result->loop = nullptr;
    return result->done ? result->pdf : QByteArray();
}

} // namespace qtbackend

extern "C" Q_DECL_EXPORT qtbackend::WebView*
quillet_createWebView(QWidget* parent, const QRect& geometry, qtbackend::WebViewLoaded loaded) {
    return new qtbackend::WebPageView(parent, geometry, std::move(loaded));
}

static_assert(std::is_same_v<decltype(&quillet_createWebView), qtbackend::CreateWebView>);
