#pragma once

#include <QImage>
#include <QPushButton>

struct ButtonIcon;

// A button of the grid that the panel and the settings editor show. It
// paints what a QPushButton with its style sheet paints, but keeps the face
// it last painted at rest: the style sheet's rounded border costs tens of
// microseconds a button, and every show of the panel, every level entered
// and every hover nearby repaints the buttons.
class GridButton : public QPushButton {
public:
    using QPushButton::QPushButton;

    // Shows `look` unless it shows already: a redraw that gives a button the
    // picture it has (the same made icon, the same size) neither repaints
    // nor lays out the grid again.
    void showIcon(const ButtonIcon &look);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct FaceKey {
        QSize size;
        qreal ratio = 0;
        int state = 0;
        int features = 0;
        qint64 icon = 0;
        QSize iconSize;
        QString text;
        QString sheet;
        bool operator==(const FaceKey &other) const;
    };
    qint64 m_iconSource = 0;
    qint64 m_iconKey = 0;
    FaceKey m_faceKey;
    QImage m_face;
};
