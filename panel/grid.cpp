#include "panel/mainwindow.h"
#include "ui_mainwindow.h"

#include "panel/buttongrid.h"
#include "panel/buttonsfile.h"
#include "panel/buttonstyle.h"
#include "panel/panelstate.h"

#include <QColor>
#include <QPushButton>
#include <QVBoxLayout>

QPushButton *panelButtons[buttonCount] = {};
QStringList buttonPaths;

static const QString folderBackMarker = QStringLiteral("FolderBack");

void MainWindow::setButtonsLayout()
{
    int rows = 0;
    QVBoxLayout *column = makeButtonGrid(panelButtons, buttonCount, [this](QPushButton *button, int) {
        connect(button, SIGNAL(clicked()), this, SLOT(buttonClick()));
    }, &rows);
    ui->groupBox->setLayout(column);
    setFixedSize(104, rows * 45 + 76);
}

void MainWindow::setButtonsConfiguration()
{
    QJsonObject level = readButtonsObject(buttonsFile);
    for (int k : qAsConst(folderStack))
        level = level.value(buttonKey(k)).toObject().value(QStringLiteral("folder")).toObject();

    QStringList icons;
    QStringList titles;
    QStringList backgrounds;
    buttonPaths.clear();
    for (auto it = level.constBegin(); it != level.constEnd(); ++it) {
        const QJsonObject button = it.value().toObject();
        if (buttonPaths.isEmpty() && !folderStack.isEmpty())
            buttonPaths.append(folderBackMarker);
        else
            buttonPaths.append(button.value(QStringLiteral("path")).toString());
        icons.append(button.value(QStringLiteral("icon")).toString());
        titles.append(button.value(QStringLiteral("title")).toString());
        backgrounds.append(button.value(QStringLiteral("background")).toString());
    }

    // A level with fewer members than buttons (a hand-edited file, or a
    // folder button whose "folder" is not an object) shows the missing
    // slots as unset buttons. Inside a folder slot 1 is always the way back,
    // even when the level is empty, so the user is never stuck there.
    const bool backMissing = !folderStack.isEmpty() && buttonPaths.isEmpty();
    while (buttonPaths.size() < buttonCount) {
        buttonPaths.append(buttonPaths.isEmpty() && !folderStack.isEmpty() ? folderBackMarker : QString());
        icons.append(QString());
        titles.append(QString());
        backgrounds.append(QString());
    }
    if (backMissing) {
        icons[0] = QStringLiteral(":/res/back.png");
        titles[0] = QStringLiteral("Back");
    }

    for (int i = 0; i < buttonCount; ++i) {
        QPushButton *button = panelButtons[i];
        if (buttonPaths.at(i).isEmpty())
            button->setIcon(QIcon());
        else
            applyButtonIcon(button, buttonIcon(buttonPaths.at(i), icons.at(i), iconProvider));

        button->setToolTip(titles.at(i).isEmpty() ? QStringLiteral("Click to set an application") : titles.at(i));

        const QString colour = QColor::isValidColor(backgrounds.at(i)) ? backgrounds.at(i) : QStringLiteral("#000000");
        button->setStyleSheet(buttonStyleSheet(colour));
    }
}

QString MainWindow::getRealPath(QString pathWithQuote)
{
    return stripPathQuotes(pathWithQuote);
}
