#pragma once

#include <cmath>

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRect>
#include <QStringList>

#include "platform/Win32.h"
#include "platform/qt/QtDeviceContext.h"

namespace componenttest {

// A page of paper in memory: a white image at a resolution of its own, open for drawing, with a
// device-context handle as the printer's pages have.
class ImageDeviceContext : public qtbackend::QtDeviceContext {
public:
    ImageDeviceContext(double widthInches, double heightInches, int dotsPerInch)
        : image_(static_cast<int>(widthInches * dotsPerInch),
                 static_cast<int>(heightInches * dotsPerInch), QImage::Format_RGB32),
          dotsPerInch_(dotsPerInch) {
        image_.fill(Qt::white);
        const int dotsPerMeter = static_cast<int>(std::lround(dotsPerInch / 0.0254));
        image_.setDotsPerMeterX(dotsPerMeter);
        image_.setDotsPerMeterY(dotsPerMeter);
        painter_.begin(&image_);
    }
    ~ImageDeviceContext() override { painter_.end(); }

    QPainter& painter() override { return painter_; }
    QPaintDevice& paintDevice() override { return image_; }
    std::int32_t deviceCaps(std::int32_t index) const override {
        return index == platform::LOGPIXELSX || index == platform::LOGPIXELSY ? dotsPerInch_ : 0;
    }

    // The page as drawn so far.
    const QImage& image() {
        painter_.end();
        snapshot_ = image_.copy();
        painter_.begin(&image_);
        return snapshot_;
    }

    // The bounding box of the pixels darker than light grey, in device pixels; null when blank.
    QRect inkBox() {
        const QImage& page = image();
        QRect box;
        for (int y = 0; y < page.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
            for (int x = 0; x < page.width(); ++x) {
                if (qGray(row[x]) < 160) {
                    box |= QRect(x, y, 1, 1);
                }
            }
        }
        return box;
    }

    // Twips as this device's pixels.
    int pixels(int twips) const { return twips * dotsPerInch_ / 1440; }

private:
    QImage image_;
    QImage snapshot_;
    QPainter painter_;
    int dotsPerInch_;
};

// A page that keeps the text drawn on it, run by run, whether the clip shows it or not: what a
// PDF page would carry for a text extractor.
class TextRecordingDeviceContext : public qtbackend::QtDeviceContext, private QPaintDevice {
public:
    explicit TextRecordingDeviceContext(int dotsPerInch)
        : engine_(*this), dotsPerInch_(dotsPerInch) {
        painter_.begin(this);
    }
    ~TextRecordingDeviceContext() override { painter_.end(); }

    QPainter& painter() override { return painter_; }
    QPaintDevice& paintDevice() override { return *this; }
    std::int32_t deviceCaps(std::int32_t) const override { return 0; }

    // The runs of text drawn, in order.
    QStringList texts;

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecordingDeviceContext& page) : page_(page) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override {
            page_.texts.append(item.text());
        }
        Type type() const override { return QPaintEngine::User; }

    private:
        TextRecordingDeviceContext& page_;
    };

    QPaintEngine* paintEngine() const override { return const_cast<Engine*>(&engine_); }
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 11 * dotsPerInch_;
        case PdmWidthMM:
        case PdmHeightMM:
            return 11 * 254 / 10;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dotsPerInch_;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 0x7fffffff;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

    Engine engine_;
    QPainter painter_;
    int dotsPerInch_;
};

// The record of one EM_FORMATRANGE: draw on hdc, measure on target, from position from into rc.
inline platform::FORMATRANGE rangeFor(platform::Handle hdc, platform::Handle target, int from,
                                      const platform::RECT& rc) {
    platform::FORMATRANGE range{};
    range.hdc = hdc;
    range.hdcTarget = target;
    range.rc = rc;
    range.chrg.cpMin = from;
    range.chrg.cpMax = -1;
    return range;
}

} // namespace componenttest
