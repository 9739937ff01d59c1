// The editor's own X11 window: the widget a Linux host embeds. It lives on a
// connection of the editor's own (XCB keeps errors on that connection, so
// nothing here can reach the host's error handler), and the web helper's
// window is embedded inside it. Should the helper die, this window stays, and
// the host never meets a window that vanished under it.
#pragma once
#include <stdint.h>

struct xcb_connection_t;

struct X11Embed {
    xcb_connection_t* connection;
    uint32_t window; // 0 when there is none
    int width;
    int height;
};

// Connects to $DISPLAY and makes a mapped window of the given size: a child
// of `parent`, or a top-level window titled `title` when `parent` is 0.
// False (nothing left open) on failure. [host UI thread]
bool x11_embed_open(X11Embed* embed, uint32_t parent, int width, int height, const char* title);

// Handles the window's pending events; true when its size changed (the new
// size is in width and height). [host UI thread]
bool x11_embed_poll(X11Embed* embed);

// Sets the window's size, kept within what X11 can express; width and
// height follow at once. False when there is no window. [host UI thread]
bool x11_embed_resize(X11Embed* embed, int width, int height);

// The window's size as the X server has it now (a round trip). False when
// it cannot be read. [host UI thread]
bool x11_embed_size(X11Embed* embed, int* width, int* height);

// Destroys the window (and with it whatever is embedded in it) and closes
// the connection. [host UI thread]
void x11_embed_close(X11Embed* embed);
