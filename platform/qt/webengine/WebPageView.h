#pragma once

#include <memory>

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "platform/qt/webengine/WebEngineModule.h"

namespace qtbackend {

// A page asks nobody anything: its script dialogs are answered as if dismissed, since Quillet
// shows no message boxes and a run must not stall on one.
class QuietWebPage : public QWebEnginePage {
public:
    QuietWebPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

protected:
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
        return false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}
};

// The module's web view: a QWebEngineView on an off-the-record profile, so nothing reaches the
// disk. The view is a child of the form's window and goes when the window goes; the page and its
// profile are this object's, so that a window closed mid-print leaves the page printing (the
// engine does not survive a page deleted while it prints).
class WebPageView : public WebView {
public:
    WebPageView(QWidget* parent, const QRect& geometry, WebViewLoaded loaded);
    ~WebPageView() override;

    void load(const QUrl& url) override;
    bool hasDocument() const override { return hasDocument_; }
    QString title() const override;
    QByteArray printToPdf(const QPageLayout& layout, const QPageRanges& ranges) override;

private:
    std::unique_ptr<QWebEngineProfile> profile_;
    std::unique_ptr<QuietWebPage> page_;
    QPointer<QWebEngineView> view_;
    WebViewLoaded loaded_;
    bool hasDocument_ = false;
};

} // namespace qtbackend
