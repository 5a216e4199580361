/* A pointer and a keyboard for a headless compositor, which has neither:
 * reads lines of commands split by ";" from stdin and answers "ok" on
 * stdout once the compositor has handled a line's.
 *   move X Y W H   the pointer to (X, Y) of a W x H output layout
 *   button B S     button B (evdev code) pressed (S 1) or released (S 0)
 *   key K S M      key K (evdev code) pressed or released, then modifier mask M */
#define _GNU_SOURCE
#include "virtual-input-client.h"

#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

static struct wl_seat *seat;
static struct zwlr_virtual_pointer_manager_v1 *pointers;
static struct zwp_virtual_keyboard_manager_v1 *keyboards;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    (void)data, (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        pointers = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        keyboards = wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data, (void)registry, (void)name;
}

int main(void)
{
    static const struct wl_registry_listener listener = { global, global_remove };
    static const char keymap[] = "xkb_keymap { xkb_keycodes { include \"evdev\" }; xkb_types { include \"complete\" };"
                                 " xkb_compat { include \"complete\" }; xkb_symbols { include \"pc+us\" }; };";
    struct wl_display *display = wl_display_connect(NULL);
    if (!display)
        return fprintf(stderr, "no Wayland display\n"), 1;
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);
    if (!seat || !pointers || !keyboards)
        return fprintf(stderr, "the compositor offers no virtual pointer or keyboard\n"), 1;
    struct zwlr_virtual_pointer_v1 *pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointers, seat);
    struct zwp_virtual_keyboard_v1 *keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(keyboards, seat);
    int fd = memfd_create("keymap", 0);
    if (fd < 0 || write(fd, keymap, sizeof keymap) != sizeof keymap)
        return perror("keymap"), 1;
    zwp_virtual_keyboard_v1_keymap(keyboard, 1 /* xkb v1 */, fd, sizeof keymap);
    setvbuf(stdout, NULL, _IOLBF, 0);
    char line[512], *rest;
    unsigned a, b, c, d, time = 0;
    while (fgets(line, sizeof line, stdin)) {
      for (char *command = strtok_r(line, ";", &rest); command; command = strtok_r(NULL, ";", &rest)) {
        time += 10;
        if (sscanf(command, "move %u %u %u %u", &a, &b, &c, &d) == 4) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, time, a, b, c, d);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (sscanf(command, "button %u %u", &a, &b) == 2) {
            zwlr_virtual_pointer_v1_button(pointer, time, a, b);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (sscanf(command, "key %u %u %u", &a, &b, &c) == 3) {
            zwp_virtual_keyboard_v1_key(keyboard, time, a, b);
            zwp_virtual_keyboard_v1_modifiers(keyboard, c, 0, 0, 0);
        }
      }
        if (wl_display_roundtrip(display) < 0)
            return fprintf(stderr, "the compositor went away\n"), 1;
        puts("ok");
    }
    return 0;
}
