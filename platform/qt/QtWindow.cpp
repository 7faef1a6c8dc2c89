#include "platform/qt/QtWindow.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QString>

namespace qtbackend {

namespace {

// Every picture of an .ico file, each for the sizes and colour depths it was drawn for.
QIcon iconFrom(std::span<const std::uint8_t> bytes) {
    QByteArray data(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "ico");
    QIcon icon;
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
        const QImage image = reader.read();
        if (!image.isNull()) {
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return icon;
}

class FormWidget : public QWidget {
public:
    explicit FormWidget(std::function<void()> closedFromOutside)
        : closedFromOutside_(std::move(closedFromOutside)) {}

    void forgetForm() { closedFromOutside_ = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->accept();
        if (closedFromOutside_) {
            // The form destroys this window while unloading, after this event has returned.
            const auto closed = std::move(closedFromOutside_);
            closedFromOutside_ = nullptr;
            closed();
        }
    }

private:
    std::function<void()> closedFromOutside_;
};

} // namespace

QtWindow::QtWindow(std::function<void()> closedFromOutside)
    : widget_(new FormWidget(std::move(closedFromOutside))) {}

QtWindow::~QtWindow() {
    if (widget_ != nullptr) {
        static_cast<FormWidget*>(widget_.data())->forgetForm();
        widget_->hide();
        // The window may be inside one of its own events, or a dialog it owns may still be
        // unwinding: delete it once control is back in the event loop.
        widget_->deleteLater();
    }
}

void QtWindow::show(const std::u16string& caption, int clientWidthTwips, int clientHeightTwips,
                    std::span<const std::uint8_t> icon) {
    if (widget_ == nullptr) {
        return;
    }
    widget_->setWindowTitle(QString::fromStdU16String(caption));
    widget_->setWindowIcon(iconFrom(icon));
    const int dpi = widget_->logicalDpiX();
    widget_->setFixedSize(clientWidthTwips * dpi / 1440, clientHeightTwips * dpi / 1440);
    widget_->show();
}

bool hasDisplay() {
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

QWidget* widgetOf(platform::WindowPeer* peer) {
    auto* window = dynamic_cast<QtWindow*>(peer);
    return window != nullptr ? window->widget() : nullptr;
}

} // namespace qtbackend
