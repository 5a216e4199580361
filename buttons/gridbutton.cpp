#include "buttons/gridbutton.h"

#include "buttons/buttonstyle.h"

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
