#include "panel/panel.h"
#include "ui_mainwindow.h"

#include "buttons/buttongrid.h"
#include "buttons/buttonsfile.h"
#include "buttons/buttonstyle.h"
#include "panel/panelstate.h"

#include <QColor>
#include <QFontMetrics>
#include <QLayout>
#include <QPushButton>
#include <QVBoxLayout>

void Panel::setButtonsLayout()
{
    int rows = 0;
    QVBoxLayout *column = makeButtonGrid(
        panelButtons, buttonCount,
        [this](GridButton *button, int) {
            connect(button, &QPushButton::clicked, this, &Panel::buttonClick);
            // The buttons stay out of Qt's focus chain: only the panel's keys
            // put the focus on one (focusSlot), so a click leaves it where it
            // is and the window shows with none of them focused.
            button->installEventFilter(this);
        },
        &rows);
    ui->groupBox->setLayout(column);
    setFixedSize(104, rows * 45 + 76);

    // The panel is as wide as two buttons, and the title shares its row with
    // the settings button: a title font too large for that room shrinks
    // until the whole name shows, rather than being clipped.
    centralWidget()->layout()->activate();
    QFont font = ui->label->font();
    while (font.pointSize() > 6 && QFontMetrics(font).horizontalAdvance(ui->label->text()) > ui->label->width())
        font.setPointSize(font.pointSize() - 1);
    ui->label->setFont(font);
}

void Panel::setButtonsConfiguration()
{
    drawButtons(readButtonsObject(buttonsFilePath()));
}

void Panel::drawButtons(const QJsonObject &root)
{
    // A level that is gone (the file changed under an entered folder) shows
    // as empty; the next click there returns to the top level.
    QJsonObject level;
    levelAt(root, folderStack, &level);

    buttonPaths.clear();
    slotTitles.clear();
    for (int n = 1; n <= buttonCount; ++n) {
        // Slot n is member "ButtonNN", whatever else the level holds; a
        // missing or malformed member is an unset button.
        const QJsonObject button = level.value(buttonKey(n)).toObject();
        const bool back = n == 1 && !folderStack.isEmpty();
        QString path = back ? folderBackMarker : button.value(pathMember).toString();
        QString icon = button.value(iconMember).toString();
        QString title = button.value(titleMember).toString();
        if (back && icon.isEmpty() && title.isEmpty()) {
            // Inside a folder slot 1 is always the way back, also when the
            // folder stores none, so the user is never stuck there.
            icon = backIcon;
            title = backTitle;
        }
        buttonPaths.append(path);

        GridButton *gridButton = panelButtons[n - 1];
        if (path.isEmpty())
            gridButton->showIcon({});
        else
            gridButton->showIcon(buttonIcons.icon(path, icon, iconProvider));
        const SpokenButton spoken = spokenButton(n, path, title);
        gridButton->setAccessibleName(spoken.name);
        gridButton->setAccessibleDescription(spoken.description);
        // A button without a title is named by what it starts.
        if (title.isEmpty() && !path.isEmpty())
            title = back ? backTitle : targetName(path);
        // The keys' type-ahead finds a button by the name it shows.
        slotTitles.append(title);
        // A tool tip shows a title, not a file someone pasted into it: a few
        // megabytes of text would freeze the panel on hover.
        if (title.size() > 300)
            title = title.left(300) + QChar(0x2026);
        gridButton->setToolTip(title.isEmpty() ? QStringLiteral("Click to set an application") : title);
        // Setting a style sheet restyles the button even when nothing
        // changed: only a new colour is worth that.
        const QString background = button.value(backgroundMember).toString();
        const QString sheet
            = buttonStyleSheet(QColor::isValidColor(background) ? background : QStringLiteral("#000000"));
        if (gridButton->styleSheet() != sheet)
            gridButton->setStyleSheet(sheet);
    }
}

QString Panel::getRealPath(QString pathWithQuote)
{
    return stripPathQuotes(pathWithQuote);
}
