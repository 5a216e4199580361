#include "app/style.h"

#include "app/picture.h"

#include <QApplication>
#include <QGroupBox>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOption>
#include <qdrawutil.h>

namespace {

class Fusion : public QProxyStyle {
public:
    Fusion()
        : QProxyStyle(QStringLiteral("fusion"))
    {
    }

    void drawPrimitive(
        PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override
    {
        if (element != PE_FrameGroupBox) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        if (m_frame.isNull())
            m_frame = QPixmap::fromImage(
                readPicture(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png")));
        // Where Fusion puts it: below the title's line, or just below the top
        // of a box with neither title nor check box.
        const auto *box = qobject_cast<const QGroupBox *>(widget);
        const int titleLine = box && !box->isCheckable() && box->title().isEmpty()
            ? 0
            : qMax(pixelMetric(PM_ExclusiveIndicatorHeight), option->fontMetrics.height());
        qDrawBorderPixmap(painter, option->rect.adjusted(0, titleLine + 3, 0, 0), QMargins(6, 6, 6, 6), m_frame);
    }

private:
    mutable QPixmap m_frame;
};

} // namespace

QStyle *fusionStyle()
{
    return new Fusion;
}

void useOwnFusion()
{
    if (QApplication::style()->objectName().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0)
        QApplication::setStyle(fusionStyle());
}
