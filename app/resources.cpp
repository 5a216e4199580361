#include "app/resources.h"

#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

void initResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(res);
        return true;
    }();
    Q_UNUSED(registered);
}

// Pictures larger than this are only decoded by a reader that can shrink
// them while it decodes (JPEG can): a 20000 x 20000 PNG would take seconds
// and gigabytes for a 30 px icon.
static const qint64 largestPicture = 4096 * 4096;

QImage readPicture(const QString &file, const QSize &drawn)
{
    // Without a format, Qt asks every image plugin whether it reads a file
    // before its own PNG reader, which maps all of them (TIFF, WebP, MNG and
    // their libraries) for a PNG. The name's suffix is tried first, alone.
    QImageReader byName(file, QFileInfo(file).suffix().toLower().toLatin1());
    byName.setAutoDetectImageFormat(false);
    QImageReader byContent(file);
    QImageReader &reader = byName.canRead() ? byName : byContent;
    const QSize full = reader.size();
    if (!full.isValid() || !drawn.isValid())
        return reader.read();
    if (qint64(full.width()) * full.height() > largestPicture && reader.format() != "jpeg")
        return QImage();
    if (full.width() > drawn.width() || full.height() > drawn.height())
        reader.setScaledSize(full.scaled(drawn, Qt::KeepAspectRatio));
    return reader.read();
}

static void addLogo(QIcon *icon, int side)
{
    icon->addPixmap(QPixmap::fromImage(readPicture(QStringLiteral(":/res/logo/zarvel-logo-%1.png").arg(side))));
}

QIcon logoIcon()
{
    initResources();
    QIcon icon;
    for (int side : { 16, 22, 24, 32, 48, 64 })
        addLogo(&icon, side);
    return icon;
}

QIcon withLargerLogos(QIcon logo)
{
    for (int side : { 128, 256 })
        addLogo(&logo, side);
    return logo;
}
