#include "app/config.h"

const QString appVersion = QStringLiteral(ZARVEL_VERSION);

const QJsonObject editionTable {
    { QStringLiteral("2"), QJsonObject { { QStringLiteral("type"), QStringLiteral("Lite") } } },
    { QStringLiteral("12"), QJsonObject { { QStringLiteral("type"), QStringLiteral("Original") } } },
    { QStringLiteral("20"), QJsonObject { { QStringLiteral("type"), QStringLiteral("Deluxe") } } },
};

const QString updateBaseUrl = QStringLiteral(ZARVEL_UPDATE_BASE_URL);

QString firstArgument;

QJsonValue configValue(const QString &key)
{
    return editionTable.value(QString::number(buttonCount)).toObject().value(key);
}
