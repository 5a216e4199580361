#pragma once

#include <functional>

class GridButton;
class QVBoxLayout;

// Lays out `count` new push buttons in rows of two, as the panel and the
// settings editor both show them: each button gets its 1-based number as
// object name and no focus, is stored in buttons[n - 1], and is handed to
// `prepare` once it sits in its row. A short last row is filled by a
// spacer. Returns the column (not yet installed) and the number of rows.
QVBoxLayout *makeButtonGrid(
    GridButton **buttons, int count, const std::function<void(GridButton *, int)> &prepare, int *rows);
