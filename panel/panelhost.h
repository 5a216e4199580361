#pragma once

// `Zarvel --panel-host`: the panel as a layer surface on a Wayland
// compositor, in a process of its own that the main Zarvel starts, keeps
// and talks to over the local socket of `Zarvel --show`. Only the panel
// lives there: layer-shell turns every window of a process into a layer
// surface, so the tray, the editor and every dialog stay in the main one.
int runPanelHost(int argc, char *argv[]);
