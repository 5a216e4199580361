#include "platform/platform.h"

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

quint64 Platform::applicationsGeneration()
{
    return 0;
}

QString Platform::themeIconFile(const QString &)
{
    return QString();
}
