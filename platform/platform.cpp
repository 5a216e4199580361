#include "platform/platform.h"

#include <QDateTime>
#include <QFileInfo>

static Platform *overridePlatform = nullptr;

Platform::~Platform() = default;

Platform &Platform::instance()
{
    return overridePlatform ? *overridePlatform : nativePlatform();
}

void Platform::setInstance(Platform *platform)
{
    overridePlatform = platform;
}

QByteArray Platform::fileStamp(const QString &file)
{
    const QFileInfo info(file);
    return info.exists()
        ? QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + '/' + QByteArray::number(info.size())
        : QByteArray();
}

quint64 Platform::applicationsGeneration()
{
    return 0;
}

void Platform::declareFrameless(WId)
{
}
