#include "buttons/buttongrid.h"

#include "buttons/gridbutton.h"

#include <QHBoxLayout>
#include <QSpacerItem>
#include <QVBoxLayout>

QVBoxLayout *makeButtonGrid(
    GridButton **buttons, int count, const std::function<void(GridButton *, int)> &prepare, int *rows)
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
    *rows = 0;
    int inRow = 0;
    for (int n = 1; n <= count; ++n) {
        auto *button = new GridButton;
        buttons[n - 1] = button;
        button->setObjectName(QString::number(n));
        button->setFocusPolicy(Qt::NoFocus);
        row->addWidget(button);
        prepare(button, n);

        if (++inRow == 2) {
            column->addLayout(row);
            if (n != count)
                row = newRow();
            ++*rows;
            inRow = 0;
        } else if (n == count) {
            row->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Expanding));
            column->addLayout(row);
            ++*rows;
            inRow = 0;
        }
    }
    return column;
}
