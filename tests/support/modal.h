#pragma once

#include <QApplication>
#include <QTimer>

// Runs `action` on the next modal dialog of type T once it shows: the static file and colour dialogs and message boxes
// block in exec(), so this is how a test reaches them.
template<typename T, typename Action> void onNextModal(Action action)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start(5);
}
