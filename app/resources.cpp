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

QIcon logoIcon()
{
    initResources();
    const QImage logo(QStringLiteral(":/res/zarvel-logo.png"));
    QIcon icon;
    for (int side : { 16, 22, 24, 32, 48, 64 })
        icon.addPixmap(QPixmap::fromImage(logo.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    return icon;
}
