#include "webui/x11_embed.h"

#include <stdlib.h>
#include <string.h>
#include <xcb/xcb.h>

namespace {

// The page's background, shown until the page paints and if the helper dies.
const uint32_t kBackground = 0x121419;

xcb_screen_t* screen_of(xcb_connection_t* connection, int number) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; it.rem > 0 && number > 0; --number)
        xcb_screen_next(&it);
    return it.rem > 0 ? it.data : nullptr;
}

// WM_NORMAL_HINTS with the base and minimum size, so an embedding host or
// a window manager knows what size the editor wants.
void set_size_hints(xcb_connection_t* connection, uint32_t window, int width, int height) {
    enum { kMinSize = 1 << 4, kBaseSize = 1 << 8 };
    uint32_t hints[18] = {};
    hints[0] = kMinSize | kBaseSize;
    hints[5] = (uint32_t)width / 2;
    hints[6] = (uint32_t)height / 2;
    hints[15] = (uint32_t)width;
    hints[16] = (uint32_t)height;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
}

} // namespace

bool x11_embed_open(X11Embed* embed, uint32_t parent, int width, int height, const char* title) {
    memset(embed, 0, sizeof *embed);
    int screen_number = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen_number);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    xcb_screen_t* screen = screen_of(connection, screen_number);
    uint32_t window = xcb_generate_id(connection);
    uint32_t values[2] = {kBackground, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_void_cookie_t made = xcb_create_window_checked(
        connection, XCB_COPY_FROM_PARENT, window,
        parent   ? parent
        : screen ? screen->root
                 : 0,
        0, 0, (uint16_t)width, (uint16_t)height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
        XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_generic_error_t* error = screen ? xcb_request_check(connection, made) : nullptr;
    if (!screen || error) {
        free(error);
        xcb_disconnect(connection);
        return false;
    }
    set_size_hints(connection, window, width, height);
    if (!parent && title) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                            XCB_ATOM_STRING, 8, (uint32_t)strlen(title), title);
    }
    xcb_map_window(connection, window);
    xcb_flush(connection);
    *embed = X11Embed{connection, window, width, height};
    return true;
}

bool x11_embed_poll(X11Embed* embed) {
    if (!embed->connection)
        return false;
    bool resized = false;
    xcb_generic_event_t* event;
    while ((event = xcb_poll_for_event(embed->connection)) != nullptr) {
        if ((event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
            xcb_configure_notify_event_t* configure = (xcb_configure_notify_event_t*)event;
            if (configure->window == embed->window &&
                (configure->width != embed->width || configure->height != embed->height)) {
                embed->width = configure->width;
                embed->height = configure->height;
                resized = true;
            }
        }
        free(event);
    }
    return resized;
}

bool x11_embed_resize(X11Embed* embed, int width, int height) {
    if (!embed->connection || !embed->window)
        return false;
    // A size of 0 is a protocol error; sizes travel as 16-bit numbers.
    const int kLargest = 32767;
    width = width < 1 ? 1 : width > kLargest ? kLargest : width;
    height = height < 1 ? 1 : height > kLargest ? kLargest : height;
    uint32_t size[2] = {(uint32_t)width, (uint32_t)height};
    xcb_configure_window(embed->connection, embed->window,
                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    xcb_flush(embed->connection);
    embed->width = width;
    embed->height = height;
    return true;
}

bool x11_embed_size(X11Embed* embed, int* width, int* height) {
    if (!embed->connection || !embed->window)
        return false;
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(
        embed->connection, xcb_get_geometry(embed->connection, embed->window), nullptr);
    if (!geometry)
        return false;
    *width = geometry->width;
    *height = geometry->height;
    free(geometry);
    return true;
}

void x11_embed_close(X11Embed* embed) {
    if (!embed->connection)
        return;
    if (embed->window)
        xcb_destroy_window(embed->connection, embed->window);
    // A round trip: the window is gone before the host goes on, whatever it
    // does next with its own windows.
    free(xcb_get_input_focus_reply(embed->connection, xcb_get_input_focus(embed->connection),
                                   nullptr));
    xcb_disconnect(embed->connection);
    memset(embed, 0, sizeof *embed);
}
