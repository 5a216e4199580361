#include "app/resources.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

void initResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(res);
        return true;
    }();
    Q_UNUSED(registered);
}

static const char logoFile[] = ":/res/zarvel-logo.png";
static const int logoSide = 512;

QIcon logoIcon()
{
    initResources();
    const QImage logo(QString::fromLatin1(logoFile));
    QIcon icon;
    for (int side : { 16, 22, 24, 32, 48, 64 })
        icon.addPixmap(QPixmap::fromImage(logo.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    return icon;
}

QIcon withFullLogo(QIcon logo)
{
    // Named with its size, the picture is read only when a larger size is
    // asked for, and then scaled down from the full picture.
    logo.addFile(QString::fromLatin1(logoFile), QSize(logoSide, logoSide));
    return logo;
}
