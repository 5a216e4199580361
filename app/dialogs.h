#pragma once

#include <QMessageBox>

class QColor;
class QDialog;
class QString;
class QWidget;

// Zarvel's dialogs block only the window they belong to: the editor's own
// dialogs block the editor, the panel's file dialog the panel, and the
// editor, About and the update boxes, which belong to no window, nothing
// else. Qt's static dialogs block every window of the program, and so the
// tray icon too (on X11 it is a window of its own); but the tray must stay
// live while a dialog is open, to switch the trigger off or to quit. What
// must not open meanwhile (the panel, a second editor) the panel keeps off
// itself.

// Runs `dialog` until it closes; its result.
int execDialog(QDialog &dialog);

// An existing file chosen, starting in `start` (a folder, or a file to
// select in its folder); empty when cancelled.
QString chooseFile(QWidget *parent, const QString &caption, const QString &start);

// An existing folder chosen, starting in `start`; empty when cancelled.
QString chooseFolder(QWidget *parent, const QString &caption, const QString &start);

// The colour chosen, starting on `initial`; invalid when cancelled.
QColor chooseColour(QWidget *parent, const QColor &initial);

// The button the user chose; NoButton when the box was closed without one.
QMessageBox::StandardButton askUser(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
