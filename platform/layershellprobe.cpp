#include "platform/layershellprobe.h"

#ifdef ZARVEL_WAYLAND
#include <cstring>
#include <wayland-client.h>
#endif

std::optional<bool> compositorHasLayerShell()
{
#ifdef ZARVEL_WAYLAND
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return std::nullopt;
    bool found = false;
    static const wl_registry_listener listener = {
        [](void *data, wl_registry *, uint32_t, const char *interface, uint32_t) {
            if (std::strcmp(interface, "zwlr_layer_shell_v1") == 0)
                *static_cast<bool *>(data) = true;
        },
        [](void *, wl_registry *, uint32_t) {},
    };
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &found);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return found;
#else
    return std::nullopt;
#endif
}
