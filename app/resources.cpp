#include "app/resources.h"

#include <QIcon>

void initResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(res);
        return true;
    }();
    Q_UNUSED(registered);
}

QIcon logoIcon()
{
    initResources();
    // Named with their sizes, the pictures are read only when a size is
    // asked for.
    QIcon icon;
    for (int side : { 16, 22, 24, 32, 48, 64 })
        icon.addFile(QStringLiteral(":/res/logo/zarvel-logo-%1.png").arg(side), QSize(side, side));
    return icon;
}

QIcon withFullLogo(QIcon logo)
{
    logo.addFile(QStringLiteral(":/res/zarvel-logo.png"), QSize(512, 512));
    return logo;
}
