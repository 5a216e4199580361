#include "app/resources.h"

#include <QtGlobal>

void initResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(res);
        return true;
    }();
    Q_UNUSED(registered);
}
