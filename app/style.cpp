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
        const QRect rect = option->rect.adjusted(0, titleLine + 3, 0, 0);
        // Stretching the picture's nine pieces costs more than the rest of
        // the panel's paint: the box is drawn once at its size and kept.
        const qreal ratio = painter->device()->devicePixelRatioF();
        if (m_box.size() != rect.size() * ratio || m_box.devicePixelRatio() != ratio) {
            m_box = QImage(rect.size() * ratio, QImage::Format_ARGB32_Premultiplied);
            m_box.setDevicePixelRatio(ratio);
            m_box.fill(Qt::transparent);
            QPainter boxPainter(&m_box);
            qDrawBorderPixmap(&boxPainter, QRect(QPoint(), rect.size()), QMargins(6, 6, 6, 6), m_frame);
        }
        painter->drawImage(rect.topLeft(), m_box);
    }

private:
    mutable QPixmap m_frame;
    mutable QImage m_box;
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
