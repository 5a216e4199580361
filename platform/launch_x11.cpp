#include "platform/desktop.h"

Platform::StartResult startStoredTarget(const QString &)
{
    Platform::StartResult result;
    result.error = QStringLiteral("Starting targets is not available yet.");
    return result;
}
