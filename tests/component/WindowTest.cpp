// The window on the real backend: its icon comes from the program's .ico file.

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/qt/QtWindow.h"

TEST(WindowTest, ShowsTheIconOfTheIcoFile) {
    QFile file(QStringLiteral(QUILLET_SOURCE_DIR "/app/Form1.ico"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    qtbackend::QtWindow window([] {});
    window.show(u"Quillet", 1950, 30,
                std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                          std::size_t(bytes.size())));
    const QIcon icon = window.widget()->windowIcon();
    ASSERT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
    const QImage image = icon.pixmap(16, 16).toImage();
    // Transparent where there is neither sheet nor quill, opaque on the sheet.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(5, 14)), 255);
}
