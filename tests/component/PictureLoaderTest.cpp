// The picture loader on Qt's image plugins: every format the program offers, told apart by
// content; the natural size at 96 pixels per inch; and the files that are no picture at all.

#include <cstdio>
#include <string>
#include <sys/stat.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "platform/Strings.h"
#include "platform/qt/QtPictureLoader.h"
#include "tests/support/Failures.h"

namespace {

using platform::ErrorNumber;

class PictureLoaderTest : public ::testing::Test {
protected:
    std::u16string path(const QString& name) const {
        return platform::fromUtf8(QFile::encodeName(dir.filePath(name)).toStdString());
    }

    // A picture of the given size, red in its top-left corner, in the format that the name's
    // extension asks for: written by Qt, or by ImageMagick for the formats Qt cannot write.
    QString make(const QString& name, int width, int height, const char* format = nullptr) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QPainter(&image).fillRect(0, 0, 16, 16, Qt::red);
        const QString file = dir.filePath(name);
        if (format != nullptr && QByteArray(format) == "gif") {
            const QString png = dir.filePath(name + ".png");
            EXPECT_TRUE(image.save(png, "png"));
            convert({png, file});
        } else {
            EXPECT_TRUE(image.save(file, format)) << name.toStdString();
        }
        return file;
    }

    void write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray read(const QString& name) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    static void convert(const QStringList& arguments) {
        QProcess process;
        process.start("/usr/bin/convert", arguments);
        ASSERT_TRUE(process.waitForFinished(60000));
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }

    static ErrorNumber failureOf(const std::u16string& file) {
        return fake::failureOf([&] { qtbackend::loadPictureFile(file); });
    }

    QTemporaryDir dir;
};

TEST_F(PictureLoaderTest, ReadsEveryOfferedFormatAtNinetySixPixelsPerInch) {
    struct {
        const char* name;
        const char* format;
        int width;
        int height;
    } const cases[] = {
        {"photo.jpg", "jpg", 378, 250},   {"photo.jpeg", "jpeg", 96, 48},
        {"logo.gif", "gif", 200, 100},    {"scan.bmp", "bmp", 378, 378},
        {"scan.tif", "tiff", 50, 80},     {"scan.tiff", "tiff", 120, 30},
        {"drawing.png", "png", 960, 480}, {"photo.webp", "webp", 64, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        make(c.name, c.width, c.height, c.format);
        const platform::Picture picture = qtbackend::loadPictureFile(path(c.name));
        ASSERT_FALSE(picture.isEmpty());
        EXPECT_DOUBLE_EQ(picture.Width(), c.width * 2540.0 / 96.0);
        EXPECT_DOUBLE_EQ(picture.Height(), c.height * 2540.0 / 96.0);
        const auto* decoded = dynamic_cast<const qtbackend::QtPicture*>(picture.data());
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(decoded->image.size(), QSize(c.width, c.height));
        EXPECT_EQ(decoded->image.format(), QImage::Format_RGB32);
        const QRgb corner = decoded->image.pixel(4, 4);
        EXPECT_GT(qRed(corner), 200);
        EXPECT_LT(qBlue(corner), 60);
    }
}

TEST_F(PictureLoaderTest, A378PixelWidePictureIsTenCentimetresWide) {
    make("ten.png", 378, 10);
    EXPECT_NEAR(qtbackend::loadPictureFile(path("ten.png")).Width() / 1000.0, 10.0, 0.01);
}

TEST_F(PictureLoaderTest, ContentDecidesTheFormatNotTheName) {
    make("really-a-png.jpg", 30, 20, "png");
    make("really-a-jpeg.gif", 40, 10, "jpg");
    EXPECT_DOUBLE_EQ(qtbackend::loadPictureFile(path("really-a-png.jpg")).Width(),
                     30 * 2540.0 / 96.0);
    EXPECT_DOUBLE_EQ(qtbackend::loadPictureFile(path("really-a-jpeg.gif")).Width(),
                     40 * 2540.0 / 96.0);
}

TEST_F(PictureLoaderTest, AnAnimatedGifGivesItsFirstFrame) {
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage green(24, 24, QImage::Format_RGB32);
    green.fill(Qt::green);
    ASSERT_TRUE(red.save(dir.filePath("red.png")));
    ASSERT_TRUE(green.save(dir.filePath("green.png")));
    convert({"-delay", "10", dir.filePath("red.png"), dir.filePath("green.png"),
             dir.filePath("anim.gif")});
    const platform::Picture picture = qtbackend::loadPictureFile(path("anim.gif"));
    const auto& image = dynamic_cast<const qtbackend::QtPicture&>(*picture.data()).image;
    EXPECT_EQ(image.pixel(8, 8), qRgb(255, 0, 0));
}

TEST_F(PictureLoaderTest, PalettePicturesAreKeptLosslessAndTransparencyKept) {
    make("logo.gif", 20, 20, "gif");
    QImage clear(10, 10, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    ASSERT_TRUE(clear.save(dir.filePath("clear.png")));
    make("photo.jpg", 20, 20, "jpg");

    const auto decoded = [&](const char* name) {
        const platform::Picture picture = qtbackend::loadPictureFile(path(name));
        return dynamic_cast<const qtbackend::QtPicture&>(*picture.data());
    };
    EXPECT_TRUE(decoded("logo.gif").lossless);
    EXPECT_FALSE(decoded("photo.jpg").lossless);
    EXPECT_EQ(decoded("clear.png").image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(decoded("clear.png").image.pixel(3, 3)), 0);
}

TEST_F(PictureLoaderTest, NamesThatAreNotUtf8Load) {
    make("plain.png", 12, 12);
    const std::string bytes = QFile::encodeName(dir.path()).toStdString() + "/\xff\xfe caf\xe9.png";
    ASSERT_EQ(std::rename(QFile::encodeName(dir.filePath("plain.png")).constData(), bytes.c_str()),
              0);
    EXPECT_DOUBLE_EQ(qtbackend::loadPictureFile(platform::fromUtf8(bytes)).Width(),
                     12 * 2540.0 / 96.0);
    std::remove(bytes.c_str()); // a name the temporary folder cannot remove by itself
}

TEST_F(PictureLoaderTest, MissingFilesAndNonPicturesFail) {
    make("photo.jpg", 100, 80, "jpg");
    const QByteArray jpeg = read("photo.jpg");
    write("notes.jpg", "This is a text file, not a picture.\n");
    write("empty.jpg", "");
    write("corrupt.jpg", jpeg.left(2) + QByteArray(4000, '\x5a'));
    write("truncated-header.png", QByteArray("\x89PNG\r\n\x1a\n", 8));
    QDir(dir.path()).mkdir("folder.jpg");
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath("pipe.jpg")).constData(), 0600), 0);

    struct {
        std::u16string file;
        ErrorNumber expected;
    } const cases[] = {
        {path("missing.jpg"), ErrorNumber::FileNotFound},
        {path("no-such-folder/photo.jpg"), ErrorNumber::FileNotFound},
        {path("photo.jpg/child.jpg"), ErrorNumber::FileNotFound},
        {u"", ErrorNumber::FileNotFound},
        {path("photo.jpg") + std::u16string(1, u'\0') + u"x", ErrorNumber::FileNotFound},
        {path("notes.jpg"), ErrorNumber::InvalidPicture},
        {path("empty.jpg"), ErrorNumber::InvalidPicture},
        {path("corrupt.jpg"), ErrorNumber::InvalidPicture},
        {path("truncated-header.png"), ErrorNumber::InvalidPicture},
        {path("folder.jpg"), ErrorNumber::InvalidPicture},
        {path("pipe.jpg"), ErrorNumber::InvalidPicture}, // refused without waiting for a writer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(platform::toUtf8(c.file));
        EXPECT_EQ(failureOf(c.file), c.expected);
    }
    EXPECT_EQ(read("photo.jpg"), jpeg); // loading leaves the file alone
}

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ ((crc & 1u) != 0 ? 0xedb88320u : 0u);
        }
    }
    return ~crc;
}

// PNG and BMP headers that claim a size no one could print; nothing behind them.
QByteArray pngHeader(quint32 width, quint32 height) {
    QByteArray ihdr("IHDR");
    const auto appendBigEndian = [](QByteArray& bytes, quint32 value) {
        const quint32 big = qToBigEndian(value);
        bytes.append(reinterpret_cast<const char*>(&big), 4);
    };
    appendBigEndian(ihdr, width);
    appendBigEndian(ihdr, height);
    ihdr.append("\x08\x02\x00\x00\x00", 5); // 8-bit RGB
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendBigEndian(png, 13);
    png.append(ihdr);
    appendBigEndian(png, crc32(ihdr));
    return png + QByteArray(64, '\0');
}

QByteArray bmpHeader(qint32 width, qint32 height) {
    QByteArray bmp(54, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    qToLittleEndian<quint32>(54, bmp.data() + 10);
    qToLittleEndian<quint32>(40, bmp.data() + 14);
    qToLittleEndian<qint32>(width, bmp.data() + 18);
    qToLittleEndian<qint32>(height, bmp.data() + 22);
    qToLittleEndian<quint16>(1, bmp.data() + 26);
    qToLittleEndian<quint16>(24, bmp.data() + 28);
    return bmp + QByteArray(64, '\0');
}

TEST_F(PictureLoaderTest, AnAbsurdSizeInTheHeaderFailsAsAnInvalidPicture) {
    write("huge.png", pngHeader(100000, 100000));
    write("huge.bmp", bmpHeader(100000, 100000));
    write("too-big.png", pngHeader(12000, 12000)); // 576 MB decoded: over the loader's limit
    write("zero.png", pngHeader(0, 10));
    for (const QString name : {"huge.png", "huge.bmp", "too-big.png", "zero.png"}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(failureOf(path(name)), ErrorNumber::InvalidPicture);
    }
}

} // namespace
