// Web editor host: shows the editor page (index.html) in a WebView2 control
// that lives on a UI thread of its own, one per open editor.
//
// Naming: the operations live in namespace `webview` (webview::create,
// webview::setParameter, webview::sendText, webview::destroy, webview::idle);
// the types stay at global scope so both modules can name them plainly.
//
// The thread that calls webview::create is the "host thread" below: it must
// also call destroy, and the module's edit callbacks always run on it (from its
// own message dispatch or while it waits inside setParameter/destroy).
// Windows; the Linux editor host (web_view_x11.h) offers the same operations.
#pragma once

#include <windows.h>

#include "webui/web_view_callbacks.h"

#include <stddef.h>
#include <stdint.h>

struct ICoreWebView2Controller;

// What the page-message dispatcher works on: the host itself as context, the
// host's forwarding functions as edit callbacks, the optional text handler
// and the value cache (written only on the UI thread).
struct WebViewDispatch {
    WebViewHost* context;
    const char* formatTag;
    int32_t (*beginEdit)(WebViewHost* host, uint32_t index, float value);
    int32_t (*setEdit)(WebViewHost* host, uint32_t index, float value);
    int32_t (*endEdit)(WebViewHost* host, uint32_t index, float value);
    PageMessageHandler handler; // null: "m" messages are ignored
    float* valueCache;          // parameterCount floats
    size_t parameterCount;
};

// One per open editor. Callers read `webWindow` directly (sizing with
// SetWindowPos, timers, the LV2 widget handle); every other field belongs to
// the host's own code.
struct WebViewHost {
    HWND webWindow;       // owned by the UI thread; null once start-up failed
    HMODULE loaderModule; // WebView2Loader.dll, or the runtime's client library
    DWORD hostThreadId;
    HANDLE ackSemaphore; // UI thread -> host thread: request done / ready / ended
    DWORD uiThreadId;
    ICoreWebView2Controller* controller; // set once the web view exists
    WebViewCallbacks callbacks;
    WebViewDispatch dispatch;
    char hiddenClassName[24];
    HWND hiddenWindow;          // owned by the host thread; receives edit requests
    HANDLE doneSemaphore;       // host thread -> UI thread: callback done / hand-over
    HANDLE callLock;            // count-one lock held for a whole blocking call
    volatile LONG inCallback;   // host thread runs a module edit callback
    volatile LONG handoffIndex; // value handed over from inside a callback
    volatile LONG handoff_bits;
    volatile LONG shutdown_pending; // UI thread saw the shut-down request early
    HANDLE ui_thread;               // joined by destroy before anything is freed
    // Host thread only: calls of ours in progress on it (webview operations,
    // edit callbacks), and a destroy asked for inside one of them, carried
    // out when the outermost returns; edits that arrive meanwhile are dropped.
    int host_calls;
    bool destroy_pending;
    uint64_t open_gestures; // UI thread only: indices the page began, not ended
    bool runtime_client;    // loaderModule is the runtime's client library
};

namespace webview {

// Starts the UI thread, WebView2 and the navigation to index.html; returns once
// the web view exists, or null on any failure (leaving no thread, window class,
// temporary file or folder behind), WebView2 giving no answer within 20 seconds
// included. `embedded`: child of `parent` (VST3, LV2 with a parent); otherwise
// a top-level window owned by it. [host UI thread]
WebViewHost* create(bool embedded, HWND parent, const WebViewCallbacks* callbacks,
                    PageMessageHandler handler, int width, int height, size_t parameterCount);

// Stores the value for the page's "g" request and posts it to the page.
// Returns 0, or a negative value when the index is out of range or nothing
// could be posted. Callable from inside an edit callback (the value then
// reaches the page before the callback's forwarding ends).
// [host UI thread] or [web UI thread]
int32_t setParameter(WebViewHost* host, uint32_t index, float value);

// Posts "m " + utf8 to the page; invalid UTF-8 sends nothing. Returns 0 or a
// negative value. Not from inside an edit callback.
// [web UI thread] (the news service) or [host UI thread]
int32_t sendText(WebViewHost* host, const char* utf8);

// Shuts the UI thread down, deletes the user-data folder and frees the host.
// Called from inside an edit callback (a host that closes the editor in its
// edit handling), the host is shut down as soon as the callback has
// returned; no callback runs after destroy. Either way the caller must not
// use the host again. [host UI thread]
void destroy(WebViewHost* host);

// Nothing to do: WebView2 runs on its own thread. Kept so the modules' timers
// and idle interfaces have one place to call. [any thread]
void idle(WebViewHost* host);

} // namespace webview
