#pragma once

#include <QPushButton>

struct ButtonIcon;

// A button of the grid that the panel and the settings editor show: a push
// button that keeps track of the made icon it shows.
class GridButton : public QPushButton {
public:
    using QPushButton::QPushButton;

    // Shows `look` unless it shows already: a redraw that gives a button the
    // picture it has (the same made icon, the same size) neither repaints
    // nor lays out the grid again.
    void showIcon(const ButtonIcon &look);

private:
    qint64 m_iconSource = 0;
    qint64 m_iconKey = 0;
};
