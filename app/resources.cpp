#include "app/resources.h"

#include "app/picture.h"

#include <QApplication>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QVector>

#include <algorithm>

void initResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(res);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace {

// The logo drawn for each of a few sizes, each picture read when one of
// that size is first asked for: a tray asks for one size, and the largest
// picture would otherwise hold its pixels from the start.
class LogoEngine : public QIconEngine {
public:
    explicit LogoEngine(QVector<int> sides)
        : m_sides(std::move(sides))
    {
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        // The smallest picture at least as large as asked, else the largest,
        // shrunk to the size asked as Qt's own icons are.
        const int asked = qMax(size.width(), size.height());
        const int side = *std::find_if(m_sides.cbegin(), m_sides.cend() - 1, [asked](int s) { return s >= asked; });
        QPixmap &picture = m_pictures[side];
        if (picture.isNull())
            picture = QPixmap::fromImage(readPicture(QStringLiteral(":/res/logo/zarvel-logo-%1.png").arg(side)));
        const QPixmap sized
            = side > asked ? picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation) : picture;
        QStyleOption option;
        return mode == QIcon::Normal || !qApp ? sized
                                              : QApplication::style()->generatedIconPixmap(mode, sized, &option);
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = qMin(qMin(size.width(), size.height()), m_sides.last());
        return QSize(side, side);
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device()->devicePixelRatioF();
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

    void virtual_hook(int id, void *data) override
    {
        if (id != AvailableSizesHook)
            return QIconEngine::virtual_hook(id, data);
        auto *available = static_cast<AvailableSizesArgument *>(data);
        available->sizes.clear();
        for (int side : m_sides)
            available->sizes.append(QSize(side, side));
    }

    QIconEngine *clone() const override { return new LogoEngine(*this); }

private:
    QVector<int> m_sides;
    QHash<int, QPixmap> m_pictures;
};

} // namespace

QIcon logoIcon()
{
    initResources();
    return QIcon(new LogoEngine({ 16, 22, 24, 32, 48, 64 }));
}

QIcon trayLogoIcon()
{
    initResources();
    return QIcon(new LogoEngine({ 16, 22, 24, 32, 48, 64, 128, 256 }));
}
