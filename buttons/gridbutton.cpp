#include "buttons/gridbutton.h"

#include "buttons/buttonstyle.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOptionButton>

bool GridButton::FaceKey::operator==(const FaceKey &other) const
{
    return size == other.size && ratio == other.ratio && state == other.state && features == other.features
        && icon == other.icon && iconSize == other.iconSize && text == other.text && sheet == other.sheet;
}

void GridButton::showIcon(const ButtonIcon &look)
{
    // The same picture: made from the same image, and still the button's
    // icon (nothing else has set one since).
    const bool same = look.icon.isNull()
        ? icon().isNull()
        : look.source != 0 && look.source == m_iconSource && icon().cacheKey() == m_iconKey;
    if (same && (!look.size.isValid() || look.size == iconSize()))
        return;
    if (look.size.isValid())
        setIconSize(look.size);
    setIcon(look.icon);
    m_iconSource = look.source;
    m_iconKey = icon().cacheKey();
}

void GridButton::changeEvent(QEvent *event)
{
    // A new style, palette or font may draw the same button otherwise.
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange
        || event->type() == QEvent::FontChange)
        m_face = QImage();
    QPushButton::changeEvent(event);
}

void GridButton::paintEvent(QPaintEvent *event)
{
    QStyleOptionButton option;
    initStyleOption(&option);
    // Hover and press last a moment and are drawn as they come.
    if (option.state & (QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_On | QStyle::State_HasFocus)) {
        QPushButton::paintEvent(event);
        return;
    }
    // The grid's sheets give every colour, so a face looks the same in an
    // active and an inactive window: the panel is painted once as it maps
    // and again as it takes the focus.
    const FaceKey key { size(), devicePixelRatioF(), int(option.state & ~QStyle::State_Active), int(option.features),
        icon().cacheKey(), iconSize(), text(), styleSheet() };
    if (m_face.isNull() || !(key == m_faceKey)) {
        m_face = QImage(size() * key.ratio, QImage::Format_ARGB32_Premultiplied);
        m_face.setDevicePixelRatio(key.ratio);
        m_face.fill(Qt::transparent);
        QPainter painter(&m_face);
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
        m_faceKey = key;
    }
    QPainter(this).drawImage(0, 0, m_face);
}
