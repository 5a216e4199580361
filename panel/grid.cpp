#include "panel/mainwindow.h"
#include "ui_mainwindow.h"

#include "panel/buttonsfile.h"
#include "panel/buttonstyle.h"
#include "panel/panelstate.h"

#include <QColor>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

QPushButton *panelButtons[buttonCount] = {};
QStringList buttonPaths;

static const QString folderBackMarker = QStringLiteral("FolderBack");

void MainWindow::setButtonsLayout()
{
    auto *column = new QVBoxLayout;
    column->setContentsMargins(2, 2, 4, 1);
    column->setSpacing(2);

    auto newRow = [] {
        auto *row = new QHBoxLayout;
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(5);
        return row;
    };
    QHBoxLayout *row = newRow();
    auto *filler = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Expanding);

    int rows = 0;
    int inRow = 0;
    for (int n = 1; n <= buttonCount; ++n) {
        auto *button = new QPushButton;
        panelButtons[n - 1] = button;
        button->setObjectName(QString::number(n));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, SIGNAL(clicked()), this, SLOT(buttonClick()));
        row->addWidget(button);

        if (++inRow == 2) {
            column->addLayout(row);
            if (n != buttonCount)
                row = newRow();
            ++rows;
            inRow = 0;
        } else if (n == buttonCount) {
            row->addItem(filler);
            column->addLayout(row);
            ++rows;
            inRow = 0;
        }
    }
    if (buttonCount % 2 == 0)
        delete filler; // only an incomplete last row takes it

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
