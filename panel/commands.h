#pragma once

#include "panel/commandwords.h"

#include <QByteArray>
#include <QString>

// The running Zarvel listens on a local socket that only its user can open
// (in the user's runtime folder, or a folder of the user's own); a second
// start finds it there instead of making a second tray icon and trigger.
// One request a connection, one line each way.

// "show": the panel at the pointer, as the chord shows it. The answer is
// shownAnswer, or why not. "hide": the panel goes, if it shows.
inline const QByteArray showRequest = QByteArray(showWord);
inline const QByteArray shownAnswer = QByteArray(shownWord);
inline const QByteArray hideRequest = QByteArrayLiteral("hide");
// "ping": is Zarvel running? Answered with "zarvel".
inline const QByteArray pingRequest = QByteArrayLiteral("ping");
inline const QByteArray pingAnswer = QByteArrayLiteral("zarvel");

// From the panel's host process (host/hostwindow.h) to the main one, which
// holds the dialogs: "settings", "assign <slot> <folder path...>",
// "tell <message>" and "ready" (listening, with its windows made).
// Answered at once with accepted; the work follows.
inline const QByteArray settingsRequest = QByteArrayLiteral("settings");
inline const QByteArray readyRequest = QByteArrayLiteral("ready");
inline const QByteArray assignRequest = QByteArrayLiteral("assign");
inline const QByteArray tellRequest = QByteArrayLiteral("tell");
inline const QByteArray acceptedAnswer = QByteArrayLiteral("accepted");

// Empty when the user has no folder closed to others for it.
QString commandSocketName();
// The panel's host process listens here, for "show" and "hide" only.
QString panelHostSocketName();

// Makes this process the user's one Zarvel, for the rest of its life: empty
// when it is, else what to tell the user (another one runs, answering or
// not; no private folder for the socket). One that hangs still counts.
QString claimOneZarvel();

// Sends `request` to the running Zarvel; its answer, or a null array when
// none runs (or none answers within a few seconds).
QByteArray sendCommand(const QByteArray &request, const QString &socketName = commandSocketName());
// Sends `request` and returns at once, whatever the answer or whether
// anyone listens. The panel's host and the main process use it between
// them: each may be inside a sendCommand() to the other, and two such
// waits would hold both until they time out.
void postCommand(const QByteArray &request, const QString &socketName = commandSocketName());
