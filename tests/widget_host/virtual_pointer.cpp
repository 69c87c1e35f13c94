// A pointer device for a headless compositor, driven by lines on standard input:
//   move DX DY        relative motion, in layout pixels
//   press BUTTON      a button (272 left, 273 right) goes down
//   release BUTTON    and up
// Each line is answered "ok" once the compositor has had it. A seat without input devices has
// no pointer at all, and a compositor's own cursor commands move no client's pointer during a
// press, so drags are made here, through the compositor's real input path.

#include <cstdint>
#include <cstdio>
#include <cstring>

#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
    wl_seat* seat = nullptr;
};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t /*version*/) {
    auto* const globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        globals->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals->seat == nullptr) {
        globals->seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    }
}

void globalRemoved(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}

}  // namespace

int main() {
    wl_display* const display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::perror("virtual_pointer: no compositor");
        return 1;
    }
    Globals globals;
    static const wl_registry_listener listener{.global = global, .global_remove = globalRemoved};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &globals);
    wl_display_roundtrip(display);
    if (globals.manager == nullptr) {
        static_cast<void>(std::fputs("virtual_pointer: no virtual pointer manager\n", stderr));
        return 1;
    }
    zwlr_virtual_pointer_v1* const pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    wl_display_roundtrip(display);
    std::uint32_t time = 0;
    char line[128] = "";
    do {
        int dx = 0;
        int dy = 0;
        unsigned button = 0;
        time += 16;
        if (std::sscanf(line, "move %d %d", &dx, &dy) == 2) {
            zwlr_virtual_pointer_v1_motion(pointer, time, wl_fixed_from_int(dx),
                                           wl_fixed_from_int(dy));
        } else if (std::sscanf(line, "press %u", &button) == 1) {
            zwlr_virtual_pointer_v1_button(pointer, time, button, WL_POINTER_BUTTON_STATE_PRESSED);
        } else if (std::sscanf(line, "release %u", &button) == 1) {
            zwlr_virtual_pointer_v1_button(pointer, time, button, WL_POINTER_BUTTON_STATE_RELEASED);
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0) {
            return 1;
        }
        static_cast<void>(std::puts("ok"));
        static_cast<void>(std::fflush(stdout));
    } while (std::fgets(line, sizeof line, stdin) != nullptr);
    wl_display_disconnect(display);
    return 0;
}
