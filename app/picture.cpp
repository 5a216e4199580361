#include "app/picture.h"

#include "app/svgpicture.h"
#include "platform/regularfile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

namespace {

const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);

quint32 bigEndian32(const QByteArray &bytes, int at)
{
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData() + at);
    return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | b[3];
}

quint32 littleEndian(const QByteArray &bytes, int at, int length)
{
    quint32 value = 0;
    for (int i = length - 1; i >= 0; --i)
        value = value << 8 | (at + i < bytes.size() ? uchar(bytes.at(at + i)) : 0);
    return value;
}

// The formats read apart, known by their content: a suffix can lie.
QByteArray formatOf(const QByteArray &bytes, const QByteArray &suffix)
{
    if (bytes.startsWith(pngSignature))
        return "png";
    if (bytes.startsWith("\xff\xd8\xff"))
        return "jpeg";
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return "gif";
    if (bytes.startsWith(QByteArray("\0\0\1\0", 4)) || bytes.startsWith(QByteArray("\0\0\2\0", 4)))
        return "ico";
    if (bytes.startsWith("icns"))
        return "icns";
    if (bytes.startsWith("\x1f\x8b"))
        return "svgz";
    const QByteArray head = bytes.left(4096).trimmed();
    if (suffix == "svg" || (head.startsWith('<') && head.contains("<svg")))
        return "svg";
    return QByteArray();
}

// Whether a picture of `size` may be decoded.
bool withinLimit(const QSize &size)
{
    return size.isValid() && !size.isEmpty() && qint64(size.width()) * size.height() <= largestPicture;
}

// The size to read a picture of `full` at: shrunk into `drawn`, never grown.
QSize readSize(const QSize &full, const QSize &drawn)
{
    if (!drawn.isValid() || (full.width() <= drawn.width() && full.height() <= drawn.height()))
        return full;
    return full.scaled(drawn, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage fitted(const QImage &image, const QSize &drawn)
{
    const QSize size = readSize(image.size(), drawn);
    return size == image.size() ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// A JPEG's pixels as its decoder holds them: it decodes at 1/2, 1/4 or 1/8
// of the full size where that still covers the size asked for, but one in
// several scans (progressive, or a component a scan) first keeps every
// coefficient of the full picture, two bytes each: no more than the
// limit's pixels.
bool jpegWithinLimit(const QByteArray &bytes, const QSize &full, const QSize &wanted)
{
    bool oneScan = false;
    int components = 0;
    for (int at = 2; at + 10 <= bytes.size() && uchar(bytes.at(at)) == 0xff;) {
        const int marker = uchar(bytes.at(at + 1));
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc) {
            if ((marker & 3) == 2)
                break;
            components = uchar(bytes.at(at + 9));
        } else if (marker == 0xda) {
            oneScan = components > 0 && uchar(bytes.at(at + 4)) == components;
            break;
        }
        at += 2 + int(bigEndian32(bytes, at) & 0xffff);
    }
    if (!oneScan)
        return withinLimit(full);
    int scale = 1;
    while (scale < 8 && full.width() / (scale * 2) >= wanted.width() && full.height() / (scale * 2) >= wanted.height())
        scale *= 2;
    const QSize decoded((full.width() + scale - 1) / scale, (full.height() + scale - 1) / scale);
    // Its entropy decoding still walks every block of the full picture.
    return withinLimit(decoded) && qint64(full.width()) * full.height() <= 16 * largestPicture;
}

// A raster picture through Qt's reader for `format` (any when empty), once
// the size its decoder makes (`decoded`, or as the reader says) is known
// to be within the limit; image `index` of a file that holds several.
QImage raster(
    const QByteArray &bytes, const QByteArray &format, const QSize &drawn, QSize decoded = QSize(), int index = 0)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // Without a format, Qt asks every image plugin whether it reads the
    // bytes, which maps all of them (TIFF, WebP, MNG and their libraries)
    // for a PNG: the named one is tried alone first.
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    if (!reader.canRead()) {
        reader.setDevice(nullptr);
        buffer.seek(0);
        reader.setFormat(QByteArray());
        reader.setAutoDetectImageFormat(true);
        reader.setDevice(&buffer);
        // The formats read apart are never left to Qt's readers alone.
        if (!reader.canRead()
            || QByteArrayList { "gif", "ico", "cur", "icns", "svg", "svgz" }.contains(reader.format()))
            return QImage();
    }
    if (index > 0 && !reader.jumpToImage(index))
        return QImage();
    const QSize full = reader.size();
    const QSize wanted = readSize(full, drawn);
    if (!decoded.isValid())
        decoded = full;
    // The depth a reader claims is not asked for: on a broken file some
    // claim none of QImage's formats. At 16 bits a channel the limit's
    // pixels still take only half the memory allowed.
    if (reader.format() == "jpeg" ? !jpegWithinLimit(bytes, full, wanted) : !withinLimit(decoded))
        return QImage();
    if (wanted != full)
        reader.setScaledSize(wanted);
    return fitted(reader.read(), drawn);
}

// An ICO or CUR: the entry nearest the size drawn, its PNG read as one,
// its bitmap as large as its own header says.
QImage icoPicture(const QByteArray &bytes, const QSize &drawn)
{
    const int wanted = drawn.isValid() ? qMax(drawn.width(), drawn.height()) : 256;
    int best = -1;
    int bestSide = 0;
    const int count = int(littleEndian(bytes, 4, 2));
    for (int i = 0; i < count && 6 + 16 * i + 16 <= bytes.size(); ++i) {
        const int side = qMax(uchar(bytes.at(6 + 16 * i)), uchar(bytes.at(7 + 16 * i)));
        const int entrySide = side == 0 ? 256 : side;
        const bool better
            = best < 0 || (bestSide < wanted ? entrySide > bestSide : entrySide >= wanted && entrySide < bestSide);
        if (better) {
            best = i;
            bestSide = entrySide;
        }
    }
    if (best < 0)
        return QImage();
    const qint64 size = littleEndian(bytes, 6 + 16 * best + 8, 4);
    const qint64 offset = littleEndian(bytes, 6 + 16 * best + 12, 4);
    if (offset + size > bytes.size())
        return QImage();
    const QByteArray entry = bytes.mid(int(offset), int(size));
    if (entry.startsWith(pngSignature))
        return raster(entry, "png", drawn);
    const qint64 width = qAbs(qint64(qint32(littleEndian(entry, 4, 4))));
    const qint64 height = qAbs(qint64(qint32(littleEndian(entry, 8, 4))));
    const QSize bitmap(int(qMin<qint64>(width, 1 << 30)), int(qMin<qint64>(height, 1 << 30)));
    return raster(bytes, "ico", drawn, bitmap, best);
}

// An ICNS: its PNG entry nearest the size drawn; one without any is read by
// Qt only when it holds none but the fixed-size bitmaps of old.
QImage icnsPicture(const QByteArray &bytes, const QSize &drawn)
{
    const int wanted = drawn.isValid() ? qMax(drawn.width(), drawn.height()) : 1024;
    QByteArray best;
    int bestSide = 0;
    bool others = false;
    for (qint64 at = 8; at + 8 <= bytes.size();) {
        const qint64 length = bigEndian32(bytes, int(at) + 4);
        if (length < 8 || at + length > bytes.size())
            break;
        const QByteArray data = bytes.mid(int(at) + 8, int(length) - 8);
        if (data.startsWith(pngSignature)) {
            const int side = int(qMin<quint32>(qMax(bigEndian32(data, 16), bigEndian32(data, 20)), 1 << 30));
            if (best.isNull() || (bestSide < wanted ? side > bestSide : side >= wanted && side < bestSide)) {
                best = data;
                bestSide = side;
            }
        } else {
            others = others || data.startsWith(QByteArray("\0\0\0\x0cjP  ", 8)) || data.startsWith("\xff\x4f\xff\x51");
        }
        at += length;
    }
    if (!best.isNull())
        return raster(best, "png", drawn);
    return others ? QImage() : raster(bytes, "icns", drawn, QSize(512, 512));
}

// A GIF: its decoder paints every frame on a canvas the size of the logical
// screen, or of the first frame where that reaches beyond it.
QImage gifPicture(const QByteArray &bytes, const QSize &drawn)
{
    QSize canvas(int(littleEndian(bytes, 6, 2)), int(littleEndian(bytes, 8, 2)));
    const int flags = int(littleEndian(bytes, 10, 1));
    int at = 13 + ((flags & 0x80) ? 3 * (2 << (flags & 7)) : 0);
    while (at < bytes.size() && bytes.at(at) == '!') {
        at += 2;
        while (at < bytes.size() && bytes.at(at) != 0)
            at += 1 + uchar(bytes.at(at));
        ++at;
    }
    if (at < bytes.size() && bytes.at(at) == ',') {
        const int right = int(littleEndian(bytes, at + 1, 2) + littleEndian(bytes, at + 5, 2));
        const int bottom = int(littleEndian(bytes, at + 3, 2) + littleEndian(bytes, at + 7, 2));
        canvas = canvas.expandedTo(QSize(right, bottom));
    }
    return raster(bytes, "gif", drawn, canvas);
}

QImage decode(const QByteArray &bytes, const QSize &drawn, const QByteArray &suffix, const QString &folder, bool svg)
{
    const QByteArray format = formatOf(bytes, suffix);
    if (format == "ico")
        return icoPicture(bytes, drawn);
    if (format == "icns")
        return icnsPicture(bytes, drawn);
    if (format == "gif")
        return gifPicture(bytes, drawn);
    if (format == "svg" || format == "svgz") {
        if (!svg)
            return QImage();
        QByteArray text = bytes;
        if (format == "svgz" && !inflateSvgz(bytes, largestSvg, &text))
            return QImage();
        if (text.size() > largestSvg)
            return QImage();
        QBuffer buffer;
        buffer.setData(cleanSvg(text, folder, drawn));
        if (buffer.size() == 0)
            return QImage();
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "svg");
        reader.setAutoDetectImageFormat(false);
        QSize size = reader.size();
        if (size.isEmpty())
            size = drawn.isValid() ? drawn : QSize(256, 256);
        size = readSize(size, drawn);
        if (!withinLimit(size))
            size = size.scaled(2048, 2048, Qt::KeepAspectRatio);
        reader.setScaledSize(size.expandedTo(QSize(1, 1)));
        return reader.read();
    }
    return raster(bytes, format.isEmpty() ? suffix : format, drawn);
}

} // namespace

QImage decodePicture(const QByteArray &bytes, const QSize &drawn, const QByteArray &suffix)
{
    return decode(bytes, drawn, suffix, QString(), false);
}

QImage readPicture(const QString &file, const QSize &drawn)
{
    QByteArray bytes;
    if (!readRegularFile(file, largestPictureFile, &bytes))
        return QImage();
    const QFileInfo info(file);
    return decode(bytes, drawn, info.suffix().toLower().toLatin1(), info.absolutePath(), true);
}
