// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include <QFile>
#include <QImage>
#include <QtEndian>
#include <QtTest>

namespace {

const QString IcoPath = QStringLiteral(TARNWICK_RESOURCES "/tarnwick.ico");
const QString PngPath = QStringLiteral(TARNWICK_RESOURCES "/tarnwick.png");

constexpr int IconSize = 48;
constexpr int ImageOffset = 6 + 16; // ICONDIR, then one ICONDIRENTRY
constexpr int DibHeaderSize = 40;   // BITMAPINFOHEADER
constexpr int ColourRowBytes = IconSize * 3;
constexpr int MaskRowBytes = 8; // 48 bits, padded to a multiple of 4 bytes

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// An unsigned little-endian field of 1, 2 or 4 bytes.
quint32 fieldAt(const QByteArray &data, int offset, int width)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData()) + offset;
    switch (width) {
    case 1:
        return bytes[0];
    case 2:
        return qFromLittleEndian<quint16>(bytes);
    default:
        return qFromLittleEndian<quint32>(bytes);
    }
}

} // namespace

// The application icon: the Windows .ico that tarnwick.rc names IDI_ICON1 and
// the PNG that Linux desktops show, both made by scripts/make-icon.py.
class TestIcon : public QObject
{
    Q_OBJECT

private slots:
    void icoHasTheSizeOfOne48PixelImage();
    void icoHeaderDescribesOne24BitImage_data();
    void icoHeaderDescribesOne24BitImage();
    void pngIs48By48();
    void icoAndPngShowTheSamePicture();
};

void TestIcon::icoHasTheSizeOfOne48PixelImage()
{
    const QByteArray ico = readFile(IcoPath);
    // 6 + 16 bytes of directory, then 40 header + 6912 colour + 384 mask bytes.
    QCOMPARE(ico.size(), 7358);
    QCOMPARE(ico.size() - ImageOffset,
             DibHeaderSize + IconSize * ColourRowBytes + IconSize * MaskRowBytes);
}

void TestIcon::icoHeaderDescribesOne24BitImage_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("width");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("reserved") << 0 << 2 << 0u;
    QTest::newRow("type: icon") << 2 << 2 << 1u;
    QTest::newRow("image count") << 4 << 2 << 1u;
    QTest::newRow("entry width") << 6 << 1 << 48u;
    QTest::newRow("entry height") << 7 << 1 << 48u;
    QTest::newRow("entry colour count") << 8 << 1 << 0u;
    QTest::newRow("entry planes") << 10 << 2 << 1u;
    QTest::newRow("entry bits per pixel") << 12 << 2 << 24u;
    QTest::newRow("entry image bytes") << 14 << 4 << 7336u;
    QTest::newRow("entry image offset") << 18 << 4 << 22u;
    QTest::newRow("DIB header size") << ImageOffset + 0 << 4 << 40u;
    QTest::newRow("DIB width") << ImageOffset + 4 << 4 << 48u;
    QTest::newRow("DIB height: colour and mask") << ImageOffset + 8 << 4 << 96u;
    QTest::newRow("DIB planes") << ImageOffset + 12 << 2 << 1u;
    QTest::newRow("DIB bits per pixel") << ImageOffset + 14 << 2 << 24u;
    QTest::newRow("DIB compression: BI_RGB") << ImageOffset + 16 << 4 << 0u;
    QTest::newRow("DIB palette colours") << ImageOffset + 32 << 4 << 0u;
}

void TestIcon::icoHeaderDescribesOne24BitImage()
{
    QFETCH(int, offset);
    QFETCH(int, width);
    QFETCH(quint32, expected);

    const QByteArray ico = readFile(IcoPath);
    QVERIFY2(ico.size() >= offset + width, qPrintable(IcoPath + " is missing or short"));
    QCOMPARE(fieldAt(ico, offset, width), expected);
}

void TestIcon::pngIs48By48()
{
    const QImage png(PngPath);
    QVERIFY2(!png.isNull(), qPrintable(PngPath + " does not load"));
    QCOMPARE(png.size(), QSize(IconSize, IconSize));
}

void TestIcon::icoAndPngShowTheSamePicture()
{
    const QByteArray ico = readFile(IcoPath);
    QCOMPARE(ico.size(), 7358);
    const QImage png = QImage(PngPath).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(png.size(), QSize(IconSize, IconSize));

    // The .ico is opaque where the PNG is at least half opaque, with the same
    // colour there; its rows run bottom to top, colours as blue, green, red.
    const int colourStart = ImageOffset + DibHeaderSize;
    const int maskStart = colourStart + IconSize * ColourRowBytes;
    int opaquePixels = 0;
    for (int y = 0; y < IconSize; ++y) {
        const int row = IconSize - 1 - y;
        for (int x = 0; x < IconSize; ++x) {
            const QRgb pixel = png.pixel(x, y);
            const auto maskByte = uchar(ico[maskStart + row * MaskRowBytes + x / 8]);
            const bool icoOpaque = !(maskByte & (0x80 >> (x % 8)));
            const QByteArray where = QByteArray::number(x) + ", " + QByteArray::number(y);
            QVERIFY2(icoOpaque == (qAlpha(pixel) >= 128), where.constData());
            if (!icoOpaque)
                continue;
            ++opaquePixels;
            const int at = colourStart + row * ColourRowBytes + x * 3;
            const QRgb icoColour = qRgb(uchar(ico[at + 2]), uchar(ico[at + 1]), uchar(ico[at]));
            QVERIFY2(icoColour == qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel)),
                     where.constData());
        }
    }
    // A picture, not an empty or a filled square.
    QVERIFY(opaquePixels > IconSize * IconSize / 4);
    QVERIFY(opaquePixels < IconSize * IconSize);
}

QTEST_GUILESS_MAIN(TestIcon)
#include "tst_icon.moc"
