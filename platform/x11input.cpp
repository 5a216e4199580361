#include "platform/x11input.h"

struct X11Input::State {
};

X11Input::X11Input()
    : d(new State)
{
}

X11Input::~X11Input()
{
    delete d;
}

bool X11Input::open()
{
    return false;
}

bool X11Input::isOpen() const
{
    return false;
}

bool X11Input::takeRightButtonPressed()
{
    return false;
}

bool X11Input::altDown()
{
    return false;
}

bool X11Input::pointer(int *, int *)
{
    return false;
}
