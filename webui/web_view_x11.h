// Web editor host on Linux: shows the editor page in a web helper process
// (WebKitGTK), whose window is embedded in an X11 window of the editor's own.
// Only the helper loads a UI toolkit; this side speaks to it over a socket
// pair with the page protocol the Windows host relays, and runs the page-
// message dispatcher, the value cache and the text handler itself.
//
// The operations have the names and contracts of the Windows host
// (web_view_host.h), so the modules' editor code serves both platforms. One
// difference: everything runs on the thread that created the host, which
// must call webview::idle regularly (an LV2 idle callback, a VST3 run-loop
// timer); the page's edits reach the module's callbacks from inside idle.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "webui/helper_frames.h"
#include "webui/helper_outbox.h"
#include "webui/helper_process.h"
#include "webui/web_view_callbacks.h"
#include "webui/x11_embed.h"

// File name of the helper executable inside the loader folder.
#define OKA_WEB_HELPER_NAME "zarvo-oka-oka-wah-web"

// One per open editor. Callers read `webWindow` directly (the host's widget);
// every other field belongs to the host's own code.
struct WebViewHost {
    unsigned long webWindow; // the editor's X11 window
    WebViewCallbacks callbacks;
    PageMessageHandler handler; // null: "m" messages are ignored
    float* valueCache;          // parameterCount floats, for the page's "g"
    size_t parameterCount;
    X11Embed embed;
    HelperProcess helper; // fd -1 once the helper is lost; the window stays
    HelperFrameReader incoming;
    HelperOutbox outgoing;
    int idle_depth;       // 1 while idle runs
    bool destroy_pending; // destroyed from inside idle: freed when it returns
};

namespace webview {

// Makes the editor window (a child of `parent` when `embedded`, else a
// top-level window), starts the helper from the loader folder and waits until
// it has embedded its window. Null on any failure, leaving no process,
// descriptor or window behind. [host UI thread]
WebViewHost* create(bool embedded, unsigned long parent, const WebViewCallbacks* callbacks,
                    PageMessageHandler handler, int width, int height, size_t parameterCount);

// Stores the value for the page's "g" request and sends it to the page.
// Returns 0, or a negative value when the index is out of range or the helper
// is gone. Callable from inside an edit callback. [host UI thread]
int32_t setParameter(WebViewHost* host, uint32_t index, float value);

// Sends "m " + utf8 to the page; invalid UTF-8 sends nothing. Returns 0 or a
// negative value. [host UI thread]
int32_t sendText(WebViewHost* host, const char* utf8);

// Ends the helper (it is killed if it does not end by itself within a moment),
// destroys the window and frees the host. Called from inside an edit callback
// (a host that closes the editor in its edit handling), the helper is hung up
// at once and the rest happens as soon as idle returns; no callback runs
// after destroy. Either way the caller must not use the host again.
// [host UI thread]
void destroy(WebViewHost* host);

// Serves the helper and the window: the page's messages (edits reach the
// module's callbacks from here), size changes of the window, and the end of
// a helper that died. [host UI thread]
void idle(WebViewHost* host);

// Sets the editor window's size (at least 1 x 1) and tells the helper, whose
// window follows. Returns 0, or a negative value when the helper is gone (the
// window is resized all the same) or there is no window. [host UI thread]
int32_t resize(WebViewHost* host, int width, int height);

// The editor window's size as the X server has it. False when it cannot be
// read. [host UI thread]
bool window_size(WebViewHost* host, int* width, int* height);

// The descriptor a run loop watches for the helper's messages (idle must run
// when it is readable), or -1 once the helper is gone: the number may then
// belong to another file, and a run loop must stop watching it.
// [host UI thread]
int helper_descriptor(const WebViewHost* host);

} // namespace webview
