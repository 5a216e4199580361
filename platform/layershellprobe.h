#pragma once

#include <optional>

// Whether the Wayland compositor in WAYLAND_DISPLAY offers the layer-shell
// protocol, which the panel's host needs; nothing when no compositor
// answers there, or this build has no Wayland support.
std::optional<bool> compositorHasLayerShell();
