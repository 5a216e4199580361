#include "platform/layershell.h"
#include "platform/layershellmodule.h"

#include <QByteArray>

#include <dlfcn.h>
#include <unistd.h>

namespace {

// Loaded from beside the program at the first call, once; none when it is
// missing, and then Zarvel stays on X11.
const LayerShellModule *module()
{
    static const LayerShellModule *const loaded = []() -> const LayerShellModule * {
        QByteArray path(4096, '\0');
        const ssize_t length = readlink("/proc/self/exe", path.data(), size_t(path.size()));
        if (length <= 0 || length >= path.size())
            return nullptr;
        path.truncate(int(length));
        path.truncate(path.lastIndexOf('/') + 1);
        path.append(layerShellModuleFile);
        void *handle = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return nullptr;
        const auto entry = reinterpret_cast<const LayerShellModule *(*)()>(dlsym(handle, layerShellModuleEntry));
        return entry ? entry() : nullptr;
    }();
    return loaded;
}

} // namespace

namespace layerShell {

std::optional<bool> compositorHasIt()
{
    return module() ? module()->compositorHasIt() : std::nullopt;
}

void enable()
{
    if (module())
        module()->enable();
}

void warmUpOverlays()
{
    if (module())
        module()->warmUpOverlays();
}

void showOverlays(
    const std::function<void(QScreen *, QPoint)> &entered, const std::function<void(const QMouseEvent &)> &pressed)
{
    if (module())
        module()->showOverlays(entered, pressed);
}

void hideOverlays()
{
    if (module())
        module()->hideOverlays();
}

void place(QWindow *window, QScreen *screen, QPoint offset, bool takesKeyboard)
{
    if (module())
        module()->place(window, screen, offset, takesKeyboard);
}

} // namespace layerShell
