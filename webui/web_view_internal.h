// Private parts of the web view host shared by its files.
#pragma once

#include "webui/web_view_host.h"
#include "webui/wv2_api.h"
#include "webui/wv2_runtime.h"

#include <string.h>

// Window messages between the two threads (always posted, never sent).
enum : UINT {
    kMsgStartupDone = WM_APP, // wParam 1 ready, 0 failed
    kMsgShutdown = WM_APP + 1,
    kMsgSetParameter = WM_APP + 2, // wParam index, lParam float bits
    kMsgSendText = WM_APP + 3,     // lParam UTF-8 text owned by the poster
    kMsgBeginEdit = WM_APP + 4,    // to the hidden window: wParam index, lParam bits
    kMsgSetEdit = WM_APP + 5,
    kMsgEndEdit = WM_APP + 6,
};

// Built on the host thread's stack by create; read by the UI thread only
// before it first releases ackSemaphore.
struct WebViewStart {
    WebViewHost* host;
    bool embedded;
    HWND parent;
    int width;
    int height;
    const Wv2Runtime* runtime; // creates the environment
    const wchar_t* navigation_target;
    const wchar_t* temp_file;
};

// The UI thread. [web UI thread]
DWORD WINAPI web_view_ui_thread(void* start);

// Waits on `handle` without time-out while still answering messages sent
// (not posted) to this thread, so a window call from the other thread can
// never deadlock the two. Returns false when the wait fails. [any thread]
bool web_view_wait(HANDLE handle);
// The same with a time-out in milliseconds; false also when it runs out.
bool web_view_wait_for(HANDLE handle, DWORD timeout_ms);

// Serves kMsgSetParameter / kMsgSendText on the UI thread and acknowledges
// them. Returns false for any other message. [web UI thread]
bool web_view_serve_request(WebViewHost* host, const MSG& msg);

// Forwarding of the page's edits to the host thread. [web UI thread]
int32_t web_view_forward_begin(WebViewHost* host, uint32_t index, float value);
int32_t web_view_forward_set(WebViewHost* host, uint32_t index, float value);
int32_t web_view_forward_end(WebViewHost* host, uint32_t index, float value);

// Page side of the bridge, all [web UI thread].
int32_t web_view_send_value(WebViewHost* host, uint32_t index, float value);
int32_t web_view_send_text(WebViewHost* host, const char* utf8);
void web_view_dispatch_page(WebViewHost* host, const char* utf8, size_t length);
// Ends every gesture the page began and did not end, each with the value it
// last sent: the page is going away (it navigates, reloads) or its process
// failed. [web UI thread]
void web_view_end_open_gestures(WebViewHost* host);

// The hidden window's procedure: runs one edit callback the UI thread asked
// for. [host UI thread]
LRESULT CALLBACK web_view_hidden_window_proc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);

// Frees everything the host holds, after its UI thread has ended (or never
// started). [host UI thread]
void web_view_free_host(WebViewHost* host);

// UTF-8 -> freshly malloc'ed UTF-16 with `suffix` appended; null when the text
// is not valid UTF-8 or memory is short. [any thread]
wchar_t* web_view_widen(const char* utf8, const wchar_t* suffix);

inline uint32_t web_view_float_bits(float value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline float web_view_bits_float(uint32_t bits) {
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}
