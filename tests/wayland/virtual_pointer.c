/* A pointer for the headless test desktop, through wlroots' virtual-pointer protocol
 * (zwlr_virtual_pointer_v1): the seat has a pointer while this runs. Commands, one a
 * line on standard input, each answered with "ok" once the compositor has it:
 *   move X Y      pointer to (X, Y) of the output (its size given at the start)
 *   press         left button down
 *   release       left button up
 * Usage: virtual_pointer WIDTH HEIGHT
 * The protocol's interfaces are spelt out here (Debian 12 ships no wlr-protocols). */
#include <linux/input-event-codes.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

static const struct wl_interface zwlr_virtual_pointer_v1_interface;

static const struct wl_interface* pointer_types[] = {
    &wl_seat_interface,
    &zwlr_virtual_pointer_v1_interface,
};

static const struct wl_message pointer_requests[] = {
    {"motion", "uff", NULL},   {"motion_absolute", "uuuuu", NULL},
    {"button", "uuu", NULL},   {"axis", "uuf", NULL},
    {"frame", "", NULL},       {"axis_source", "u", NULL},
    {"axis_stop", "uu", NULL}, {"axis_discrete", "uufi", NULL},
    {"destroy", "", NULL},
};

static const struct wl_interface zwlr_virtual_pointer_v1_interface = {
    "zwlr_virtual_pointer_v1", 1, 9, pointer_requests, 0, NULL,
};

static const struct wl_message manager_requests[] = {
    {"create_virtual_pointer", "?on", pointer_types},
    {"destroy", "", NULL},
};

static const struct wl_interface zwlr_virtual_pointer_manager_v1_interface = {
    "zwlr_virtual_pointer_manager_v1", 1, 2, manager_requests, 0, NULL,
};

enum { MOTION_ABSOLUTE = 1, BUTTON = 2, FRAME = 4, POINTER_DESTROY = 8 };
enum { CREATE_VIRTUAL_POINTER = 0, MANAGER_DESTROY = 1 };

static struct wl_seat* seat;
static struct wl_proxy* manager;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version)
{
    (void)data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !seat) {
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    }
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

static uint32_t now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s WIDTH HEIGHT\n", argv[0]);
        return 2;
    }
    const uint32_t width = (uint32_t)strtoul(argv[1], NULL, 10);
    const uint32_t height = (uint32_t)strtoul(argv[2], NULL, 10);
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!manager) {
        fprintf(stderr, "the compositor has no virtual pointers\n");
        return 1;
    }
    struct wl_proxy* pointer = wl_proxy_marshal_constructor(
        manager, CREATE_VIRTUAL_POINTER, &zwlr_virtual_pointer_v1_interface, seat, NULL);
    wl_display_roundtrip(display);
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("ready\n");

    char line[128];
    while (fgets(line, sizeof line, stdin)) {
        unsigned x = 0, y = 0;
        if (sscanf(line, "move %u %u", &x, &y) == 2) {
            wl_proxy_marshal(pointer, MOTION_ABSOLUTE, now_ms(), x, y, width, height);
        } else if (strncmp(line, "press", 5) == 0) {
            wl_proxy_marshal(pointer, BUTTON, now_ms(), BTN_LEFT, 1);
        } else if (strncmp(line, "release", 7) == 0) {
            wl_proxy_marshal(pointer, BUTTON, now_ms(), BTN_LEFT, 0);
        } else {
            printf("unknown command\n");
            continue;
        }
        wl_proxy_marshal(pointer, FRAME);
        if (wl_display_roundtrip(display) < 0) {
            return 1;
        }
        printf("ok\n");
    }
    wl_proxy_marshal(pointer, POINTER_DESTROY);
    wl_proxy_destroy(pointer);
    wl_proxy_marshal(manager, MANAGER_DESTROY);
    wl_proxy_destroy(manager);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
