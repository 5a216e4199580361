#include "app/svgpicture.h"

#include "app/picture.h"
#include "platform/regularfile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <zlib.h>

bool inflateSvgz(const QByteArray &packed, qint64 limit, QByteArray *svg)
{
    z_stream stream {};
    if (inflateInit2(&stream, MAX_WBITS + 16) != Z_OK)
        return false;
    svg->resize(int(limit) + 1);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData()));
    stream.avail_in = uInt(packed.size());
    stream.next_out = reinterpret_cast<Bytef *>(svg->data());
    stream.avail_out = uInt(svg->size());
    const bool ended = inflate(&stream, Z_FINISH) == Z_STREAM_END && qint64(stream.total_out) <= limit;
    svg->resize(ended ? int(stream.total_out) : 0);
    inflateEnd(&stream);
    return ended;
}

namespace {

// Deeper nesting or more elements than any icon holds would cost Qt's SVG
// reader its stack or seconds to draw.
const int deepest = 64;
const int mostElements = 20000;
// Each picture an <image> holds takes a decoding of its own.
const int mostImages = 2;

// The picture an <image> names, as a PNG data address; empty when it
// cannot be read within the limits or is itself an SVG.
QString embedded(const QString &address, const QString &folder, const QSize &drawn)
{
    QByteArray bytes;
    QString suffix;
    if (address.startsWith(QLatin1String("data:"))) {
        const int comma = address.indexOf(QLatin1Char(','));
        if (comma < 0)
            return QString();
        const QByteArray data = address.mid(comma + 1).toLatin1();
        bytes = address.left(comma).endsWith(QLatin1String(";base64")) ? QByteArray::fromBase64(data)
                                                                       : QByteArray::fromPercentEncoding(data);
    } else {
        const QUrl url(address);
        const QString path = url.isLocalFile() ? url.toLocalFile() : url.scheme().isEmpty() ? address : QString();
        if (path.isEmpty() || (folder.isEmpty() && QFileInfo(path).isRelative()))
            return QString();
        const QString file = QDir(folder).absoluteFilePath(path);
        if (!readRegularFile(file, largestPictureFile, &bytes))
            return QString();
        suffix = QFileInfo(file).suffix().toLower();
    }
    const QImage picture = decodePicture(bytes, drawn, suffix.toLatin1());
    QBuffer png;
    if (picture.isNull() || !png.open(QIODevice::WriteOnly) || !picture.save(&png, "png"))
        return QString();
    return QLatin1String("data:image/png;base64,") + QString::fromLatin1(png.data().toBase64());
}

} // namespace

QByteArray cleanSvg(const QByteArray &svg, const QString &folder, const QSize &drawn)
{
    QXmlStreamReader in(svg);
    in.setNamespaceProcessing(false);
    QByteArray clean;
    QXmlStreamWriter out(&clean);
    int depth = 0;
    int elements = 0;
    int images = 0;
    const QSize within = drawn.isValid() ? drawn : QSize(256, 256);
    while (!in.atEnd()) {
        switch (in.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (++depth > deepest || ++elements > mostElements)
                return QByteArray();
            const QString name = in.qualifiedName().toString();
            QXmlStreamAttributes attributes = in.attributes();
            if (name == QLatin1String("image") || name.endsWith(QLatin1String(":image"))) {
                // An image whose picture cannot be read is left out whole.
                QString picture;
                for (QXmlStreamAttribute &attribute : attributes) {
                    const QString key = attribute.qualifiedName().toString();
                    if (key == QLatin1String("href") || key.endsWith(QLatin1String(":href"))) {
                        if (picture.isEmpty() && ++images <= mostImages)
                            picture = embedded(attribute.value().trimmed().toString(), folder, within);
                        attribute = QXmlStreamAttribute(key, picture);
                    }
                }
                if (picture.isEmpty()) {
                    in.skipCurrentElement();
                    --depth;
                    break;
                }
            }
            out.writeStartElement(name);
            for (const QXmlStreamAttribute &attribute : qAsConst(attributes))
                out.writeAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            out.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            out.writeCharacters(in.text().toString());
            break;
        default:
            break;
        }
    }
    return in.hasError() ? QByteArray() : clean;
}
