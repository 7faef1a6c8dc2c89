// The picture loader on Qt's image plugins: every format the program offers, told apart by
// content; the natural size at 96 pixels per inch; and the files that are no picture at all.

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <tiffio.h>
#include <vector>

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

    static void convert(const QStringList& arguments) { run("/usr/bin/convert", arguments); }

    static void run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
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

// A photograph-like picture: a gradient under deterministic noise, so that it compresses into
// many bytes of data.
QImage noisyPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>(seed >> 27);
            line[x] = qRgb((x * 255 / width + noise) & 255, (y * 255 / height) ^ noise, noise * 8);
        }
    }
    return image;
}

// bytes with count bytes from the given offset replaced by pattern, repeated.
QByteArray overwritten(QByteArray bytes, qsizetype offset, qsizetype count,
                       const QByteArray& pattern) {
    for (qsizetype i = 0; i < count; ++i) {
        bytes[offset + i] = pattern[i % pattern.size()];
    }
    return bytes;
}

// A TIFF whose strips are declared half as long as they are: the data ends early, while the
// directory, which ImageMagick writes last, stays whole.
QByteArray withHalfStrips(QByteArray tiff) {
    const bool little = tiff.startsWith("II");
    const auto u16 = [&](qsizetype at) {
        const auto* p = reinterpret_cast<const uchar*>(tiff.constData() + at);
        return little ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p);
    };
    const auto u32 = [&](qsizetype at) {
        const auto* p = reinterpret_cast<const uchar*>(tiff.constData() + at);
        return little ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p);
    };
    const quint32 directory = u32(4);
    for (int i = 0; i < u16(directory); ++i) {
        const qsizetype entry = directory + 2 + i * 12;
        if (u16(entry) == TIFFTAG_STRIPBYTECOUNTS && u32(entry + 4) == 1 && u16(entry + 2) == 4) {
            const quint32 half = u32(entry + 8) / 2;
            auto* p = reinterpret_cast<uchar*>(tiff.data() + entry + 8);
            little ? qToLittleEndian(half, p) : qToBigEndian(half, p);
            return tiff;
        }
    }
    ADD_FAILURE() << "no single strip to shorten";
    return tiff;
}

qsizetype lastIndexOf(const QByteArray& bytes, const char* marker) {
    return bytes.lastIndexOf(QByteArray(marker, 2));
}

TEST_F(PictureLoaderTest, DataCutShortOrCorruptFailsAndHarmlessOdditiesPrint) {
    const QImage source = noisyPicture(640, 480);
    ASSERT_TRUE(source.save(dir.filePath("photo.jpg"), "jpg"));
    ASSERT_TRUE(source.save(dir.filePath("photo.png"), "png"));
    ASSERT_TRUE(source.save(dir.filePath("photo.bmp"), "bmp"));
    ASSERT_TRUE(source.save(dir.filePath("photo.webp"), "webp"));
    ASSERT_TRUE(source.save(dir.filePath("photo.ppm"), "ppm"));
    convert({dir.filePath("photo.png"), dir.filePath("photo.gif")});
    convert({dir.filePath("photo.jpg"), "-interlace", "plane", dir.filePath("progressive.jpg")});
    run("/usr/bin/cjpeg",
        {"-arithmetic", "-outfile", dir.filePath("arithmetic.jpg"), dir.filePath("photo.ppm")});
    for (const char* compression : {"lzw", "group4", "jpeg"}) {
        convert({dir.filePath("photo.png"), "-define", "tiff:rows-per-strip=480", "-compress",
                 compression, dir.filePath(QString("%1.tif").arg(compression))});
    }
    const QByteArray jpeg = read("photo.jpg");
    const QByteArray progressive = read("progressive.jpg");
    const QByteArray png = read("photo.png");
    const QByteArray gif = read("photo.gif");
    const QByteArray bmp = read("photo.bmp");
    const QByteArray webp = read("photo.webp");
    const QByteArray junk("trailing bytes no reader asks for", 33);
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    const QByteArray brokenExif = QByteArray("\xFF\xE1\x00\x12"
                                             "Exif\0\0"
                                             "MM\0*\xFF\xFF\xFF\xFF",
                                             18) +
                                  QByteArray("\xFF\xE9\x00\x06junk", 8);

    struct {
        const char* name;
        QByteArray bytes;
        bool prints;
    } const cases[] = {
        // Cut short: the reported 1,500 bytes of a 640 x 480 JPEG, and every other format.
        {"cut.jpg", jpeg.left(1500), false},
        {"cut-between-scans.jpg", progressive.left(lastIndexOf(progressive, "\xFF\xDA")), false},
        {"cut-arithmetic.jpg", read("arithmetic.jpg").left(read("arithmetic.jpg").size() / 2),
         false},
        {"cut.png", png.left(png.size() / 2), false},
        {"cut.gif", gif.left(gif.size() / 2), false},
        {"cut.bmp", bmp.left(bmp.size() / 2), false},
        {"cut.webp", webp.left(webp.size() / 2), false},
        {"cut-lzw.tif", withHalfStrips(read("lzw.tif")), false},
        {"cut-fax.tif", withHalfStrips(read("group4.tif")), false},
        {"cut-jpeg.tif", withHalfStrips(read("jpeg.tif")), false},
        // Corrupt: JPEG data erased as flash memory erases it, then zeroed; a PNG chunk that
        // fails its check; GIF codes that name no table entry.
        {"erased.jpg", overwritten(jpeg, jpeg.size() / 2, 64, "\xFF"), false},
        {"zeroed.jpg", overwritten(jpeg, jpeg.size() / 2, 4096, QByteArray(1, '\0')), false},
        {"corrupt.png", overwritten(png, png.size() / 2, 64, "\x55"), false},
        {"corrupt.gif", overwritten(gif, gif.size() / 2, 64, "\xFF"), false},
        // Harmless oddities of cameras and editors.
        {"trailing.jpg", jpeg + junk, true},
        {"no-end-marker.jpg", jpeg.left(jpeg.size() - 2), true},
        {"broken-exif.jpg", jpeg.left(2) + brokenExif + jpeg.mid(2), true},
        {"stray-bytes.jpg", jpeg.left(sof) + QByteArray(4, '\0') + jpeg.mid(sof), true},
        {"trailing.png", png + junk, true},
        {"trailing.gif", gif + junk, true},
        {"no-trailer.gif", gif.left(gif.size() - 1), true},
        {"trailing.bmp", bmp + junk, true},
        {"trailing.webp", webp + junk, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(c.name, c.bytes);
        if (c.prints) {
            EXPECT_DOUBLE_EQ(qtbackend::loadPictureFile(path(c.name)).Width(), 640 * 2540.0 / 96.0);
        } else {
            EXPECT_EQ(failureOf(path(c.name)), ErrorNumber::InvalidPicture);
        }
    }
}

// A BMP file of one of the header kinds: 12 bytes (OS/2 1.x), 16 and 64 (OS/2 2.x), 40, 52, 56,
// 108 and 124 (Windows), with the masks in the header from 52 bytes on and after a 40-byte one.
struct BmpKind {
    const char* name;
    int headerBytes;
    int bits;
    int compression; // 0 none, 1 RLE8, 2 RLE4, 3 bit fields, 6 bit fields with alpha
    bool topDown;
    std::array<quint32, 4> masks; // red, green, blue, alpha
};

void put32(QByteArray& bytes, int at, quint32 value) {
    if (at + 4 <= bytes.size()) {
        qToLittleEndian(value, bytes.data() + at);
    }
}

// The info header, the masks after a 40-byte one, and the palette.
QByteArray bmpInfo(const BmpKind& kind, const std::vector<QRgb>& palette, int width, int height) {
    QByteArray info(kind.headerBytes, '\0');
    put32(info, 0, kind.headerBytes);
    if (kind.headerBytes == 12) {
        qToLittleEndian<quint16>(width, info.data() + 4);
        qToLittleEndian<quint16>(height, info.data() + 6);
        qToLittleEndian<quint16>(1, info.data() + 8);
        qToLittleEndian<quint16>(kind.bits, info.data() + 10);
    } else {
        put32(info, 4, width);
        put32(info, 8, kind.topDown ? -height : height);
        qToLittleEndian<quint16>(1, info.data() + 12);
        qToLittleEndian<quint16>(kind.bits, info.data() + 14);
        put32(info, 16, kind.compression);
        put32(info, 32, static_cast<quint32>(palette.size()));
        for (int i = 0; i < 4; ++i) {
            put32(info, 40 + i * 4, kind.masks[i]);
        }
    }
    if (kind.headerBytes == 40 && (kind.compression == 3 || kind.compression == 6)) {
        for (int i = 0; i < (kind.compression == 6 ? 4 : 3); ++i) {
            info.append(QByteArray(4, '\0'));
            put32(info, 40 + i * 4, kind.masks[i]);
        }
    }
    for (const QRgb colour : palette) {
        info.append(static_cast<char>(qBlue(colour)));
        info.append(static_cast<char>(qGreen(colour)));
        info.append(static_cast<char>(qRed(colour)));
        if (kind.headerBytes != 12) {
            info.append('\0');
        }
    }
    return info;
}

// One row of pixels as the kind stores it: palette indexes, runs of one pixel, or channels.
QByteArray bmpRow(const BmpKind& kind, const std::vector<QRgb>& palette, const QRgb* pixels,
                  int width) {
    const auto indexOf = [&](QRgb pixel) {
        return static_cast<int>(std::find(palette.begin(), palette.end(), pixel) - palette.begin());
    };
    QByteArray line;
    quint32 bitBuffer = 0;
    int bitCount = 0;
    for (int x = 0; x < width; ++x) {
        const QRgb pixel = pixels[x];
        if (kind.compression == 1 || kind.compression == 2) {
            line.append('\1');
            line.append(static_cast<char>(indexOf(pixel) << (kind.compression == 2 ? 4 : 0)));
        } else if (kind.bits <= 8) {
            bitBuffer = bitBuffer << kind.bits | indexOf(pixel);
            if ((bitCount += kind.bits) == 8) {
                line.append(static_cast<char>(bitBuffer));
                bitBuffer = bitCount = 0;
            }
        } else if (kind.bits == 24) {
            line.append(static_cast<char>(qBlue(pixel)));
            line.append(static_cast<char>(qGreen(pixel)));
            line.append(static_cast<char>(qRed(pixel)));
        } else {
            const quint32 value =
                (qRed(pixel) != 0 ? kind.masks[0] : 0) | (qGreen(pixel) != 0 ? kind.masks[1] : 0) |
                (qBlue(pixel) != 0 ? kind.masks[2] : 0) | (qAlpha(pixel) != 0 ? kind.masks[3] : 0);
            line.append(reinterpret_cast<const char*>(&value), kind.bits / 8);
        }
    }
    if (bitCount > 0) {
        line.append(static_cast<char>(bitBuffer << (8 - bitCount)));
    }
    return line;
}

// pixels are 0 or 255 in every channel, so that any mask of any width holds them exactly; a
// palette kind takes the colours in order of appearance.
QByteArray bmpFile(const BmpKind& kind, const std::vector<QRgb>& pixels, int width, int height) {
    std::vector<QRgb> palette;
    for (const QRgb pixel : pixels) {
        if (kind.bits <= 8 && std::find(palette.begin(), palette.end(), pixel) == palette.end()) {
            palette.push_back(pixel);
        }
    }
    const QByteArray info = bmpInfo(kind, palette, width, height);
    const bool runs = kind.compression == 1 || kind.compression == 2;
    QByteArray data;
    for (int row = 0; row < height; ++row) {
        const int y = kind.topDown ? row : height - 1 - row;
        QByteArray line = bmpRow(kind, palette, pixels.data() + y * width, width);
        if (runs) { // end of line, or of the bitmap
            line.append(row + 1 < height ? QByteArray(2, '\0') : QByteArray("\0\1", 2));
        } else {
            line.append(QByteArray((4 - line.size() % 4) % 4, '\0'));
        }
        data.append(line);
    }
    QByteArray file("BM");
    file.append(QByteArray(12, '\0'));
    put32(file, 2, static_cast<quint32>(14 + info.size() + data.size()));
    put32(file, 10, static_cast<quint32>(14 + info.size()));
    return file + info + data;
}

TEST_F(PictureLoaderTest, EveryBmpHeaderKindAndPixelFormatPrints) {
    const QRgb red = qRgb(255, 0, 0);
    const QRgb green = qRgb(0, 255, 0);
    const QRgb blue = qRgb(0, 0, 255);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb black = qRgb(0, 0, 0);
    const QRgb clear = qRgba(255, 255, 0, 0);
    const std::vector<QRgb> colours = {red, green, blue, white, black, qRgb(255, 255, 0)};
    const std::vector<QRgb> withAlpha = {red, green, blue, white, black, clear};
    const std::vector<QRgb> blackAndWhite = {black, white, black, white, black, white};
    const std::array<quint32, 4> rgb565 = {0xF800, 0x07E0, 0x001F, 0};
    const std::array<quint32, 4> argb4444 = {0x0F00, 0x00F0, 0x000F, 0xF000};
    const std::array<quint32, 4> bgra = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};
    const std::array<quint32, 4> argb = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    // The fourth byte of a 32-bit BI_RGB pixel is unused, whatever a writer leaves in it.
    const std::array<quint32, 4> fakeAlpha = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x80000000};
    struct {
        BmpKind kind;
        const std::vector<QRgb>& pixels;
        QImage::Format format;
    } const cases[] = {
        {{"os2-core-24", 12, 24, 0, false, {}}, colours, QImage::Format_RGB32},
        {{"os2-core-palette", 12, 8, 0, false, {}}, colours, QImage::Format_RGB32},
        {{"os2-v2-short", 16, 4, 0, false, {}}, colours, QImage::Format_RGB32},
        {{"os2-v2", 64, 8, 0, false, {}}, colours, QImage::Format_RGB32},
        {{"black-and-white", 40, 1, 0, false, {}}, blackAndWhite, QImage::Format_Mono},
        {{"rgb24-top-down", 40, 24, 0, true, {}}, colours, QImage::Format_RGB32},
        {{"rgb32-fake-alpha", 40, 32, 0, false, fakeAlpha}, colours, QImage::Format_RGB32},
        {{"rgb16-565", 40, 16, 3, false, rgb565}, colours, QImage::Format_RGB32},
        {{"rle8", 40, 8, 1, false, {}}, colours, QImage::Format_RGB32},
        {{"rle4", 40, 4, 2, false, {}}, colours, QImage::Format_RGB32},
        {{"alpha-bit-fields", 40, 32, 6, false, argb}, withAlpha, QImage::Format_ARGB32},
        {{"v2-52", 52, 32, 3, false, bgra}, colours, QImage::Format_RGB32},
        {{"v3-56-argb4444", 56, 16, 3, false, argb4444}, withAlpha, QImage::Format_ARGB32},
        {{"v3-56-top-down", 56, 32, 3, true, bgra}, withAlpha, QImage::Format_ARGB32},
        {{"v4-108", 108, 32, 3, false, argb}, withAlpha, QImage::Format_ARGB32},
        {{"v5-124", 124, 24, 0, false, {}}, colours, QImage::Format_RGB32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind.name);
        write(c.kind.name, bmpFile(c.kind, c.pixels, 3, 2));
        const platform::Picture picture = qtbackend::loadPictureFile(path(c.kind.name));
        const auto& image = dynamic_cast<const qtbackend::QtPicture&>(*picture.data()).image;
        ASSERT_EQ(image.size(), QSize(3, 2));
        EXPECT_EQ(image.format(), c.format);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(image.pixel(i % 3, i / 3), c.pixels[i]) << "pixel " << i;
        }
    }

    // Headers that cannot be, and RLE that leaves its row.
    const QByteArray rgb24 = bmpFile({"", 40, 24, 0, false, {}}, colours, 3, 2);
    QByteArray overrun = bmpFile({"", 40, 8, 1, false, {}}, colours, 3, 2);
    overrun[overrun.size() - 14] = '\4'; // the bottom row's second run, four pixels long
    const auto patched = [](QByteArray bytes, int at, quint32 value) {
        qToLittleEndian(value, bytes.data() + at);
        return bytes;
    };
    for (const auto& [name, bytes] : {
             std::pair{"offset-past-end.bmp", patched(rgb24, 10, 100000)},
             std::pair{"offset-into-header.bmp", patched(rgb24, 10, 20)},
             std::pair{"header-size-66.bmp", patched(rgb24, 14, 66)},
             std::pair{"bits-30000.bmp", patched(rgb24, 28, 30000)},
             std::pair{"palette-past-pixels.bmp", patched(rgb24, 28, 8) + QByteArray(8, '\0')},
             std::pair{"run-past-row.bmp", overrun},
         }) {
        SCOPED_TRACE(name);
        write(name, bytes);
        EXPECT_EQ(failureOf(path(name)), ErrorNumber::InvalidPicture);
    }
}

// A TIFF written by libtiff: the fields configure sets, then each block as a strip or a tile.
void writeTiff(const QString& file, const std::function<void(TIFF*)>& configure,
               const std::vector<QByteArray>& blocks) {
    TIFF* tiff = TIFFOpen(QFile::encodeName(file).constData(), "w");
    ASSERT_NE(tiff, nullptr);
    configure(tiff);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        auto* data = const_cast<char*>(blocks[i].constData());
        const auto count = static_cast<tmsize_t>(blocks[i].size());
        EXPECT_GE(TIFFIsTiled(tiff) ? TIFFWriteEncodedTile(tiff, i, data, count)
                                    : TIFFWriteEncodedStrip(tiff, i, data, count),
                  0);
    }
    TIFFClose(tiff);
}

TEST_F(PictureLoaderTest, TiffOfEveryColourAndSampleKindPrints) {
    const auto page = [](int width, int height, int photometric, int bits, int samples) {
        return [=](TIFF* tiff) {
            TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
            TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
            TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
            TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
            TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
            TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
        };
    };
    const float redThenBlue[] = {1, 0, 0, 0, 0, 1};
    const quint16 redThenBlueInk[] = {0, 65535, 65535, 0, 65535, 65535, 0, 0};
    const auto bytesOf = [](const auto& array) {
        return QByteArray(reinterpret_cast<const char*>(array), sizeof array);
    };
    struct {
        const char* name;
        std::function<void(TIFF*)> configure;
        std::vector<QByteArray> blocks;
        QRgb left;
        QRgb right;
    } const cases[] = {
        // YCbCr in 2 x 2 blocks of four Y, Cb and Cr, LZW-compressed: red, then blue.
        {"ycbcr-lzw.tif",
         [&](TIFF* tiff) {
             page(4, 2, PHOTOMETRIC_YCBCR, 8, 3)(tiff);
             TIFFSetField(tiff, TIFFTAG_YCBCRSUBSAMPLING, 2, 2);
             TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
         },
         {QByteArray("\x4C\x4C\x4C\x4C\x55\xFF\x1D\x1D\x1D\x1D\xFF\x6B", 12)},
         qRgb(255, 0, 0),
         qRgb(0, 0, 255)},
        {"grey-12-bit.tif",
         page(2, 1, PHOTOMETRIC_MINISBLACK, 12, 1),
         {QByteArray("\x00\x0F\xFF", 3)},
         qRgb(0, 0, 0),
         qRgb(255, 255, 255)},
        {"float-rgb.tif",
         [&](TIFF* tiff) {
             page(2, 1, PHOTOMETRIC_RGB, 32, 3)(tiff);
             TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
         },
         {bytesOf(redThenBlue)},
         qRgb(255, 0, 0),
         qRgb(0, 0, 255)},
        {"cmyk-16-bit.tif",
         page(2, 1, PHOTOMETRIC_SEPARATED, 16, 4),
         {bytesOf(redThenBlueInk)},
         qRgb(255, 0, 0),
         qRgb(0, 0, 255)},
        // Uncompressed tiles smaller than libtiff's RGBA interface reads.
        {"small-tiles.tif",
         [&](TIFF* tiff) {
             page(32, 16, PHOTOMETRIC_MINISBLACK, 8, 1)(tiff);
             TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16);
             TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16);
         },
         {QByteArray(256, '\0'), QByteArray(256, '\xFF')},
         qRgb(0, 0, 0),
         qRgb(255, 255, 255)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeTiff(dir.filePath(c.name), c.configure, c.blocks);
        const platform::Picture picture = qtbackend::loadPictureFile(path(c.name));
        const auto& image = dynamic_cast<const qtbackend::QtPicture&>(*picture.data()).image;
        const auto near = [](QRgb actual, QRgb expected) {
            return std::abs(qRed(actual) - qRed(expected)) < 12 &&
                   std::abs(qGreen(actual) - qGreen(expected)) < 12 &&
                   std::abs(qBlue(actual) - qBlue(expected)) < 12;
        };
        EXPECT_TRUE(near(image.pixel(0, 0), c.left)) << std::hex << image.pixel(0, 0);
        EXPECT_TRUE(near(image.pixel(image.width() - 1, 0), c.right))
            << std::hex << image.pixel(image.width() - 1, 0);
    }
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
