#pragma once

#include "buildconfig.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// Number of buttons on the panel and in every folder; also the key of this
// build's record in editionTable.
constexpr int buttonCount = ZARVEL_BUTTON_COUNT;
static_assert(buttonCount >= 1 && buttonCount <= 99, "button keys have two digits");

extern const QString appVersion;

// Edition records keyed by button count in decimal ("2", "12", "20").
extern const QJsonObject editionTable;

// Member `key` of this build's edition record; undefined when missing.
QJsonValue configValue(const QString &key);

// Base address of the update server, without a trailing slash.
extern const QString updateBaseUrl;

// The first command-line argument after the program name, set by main().
extern QString firstArgument;
