// What a plug-in module gives the web editor host, on every platform: its
// edit callbacks, the folders the host needs, and the receiver of the page's
// text messages. The host copies the record at creation.
#pragma once

#include <stdint.h>

struct WebViewHost;

// Edit callback of a module: (userData, parameter index, plain value).
// The result is ignored. [host UI thread]
typedef int32_t (*WebViewEditFn)(void* userData, uint32_t index, float value);

// Receiver of the page's "m" text messages (the news service); `utf8` is only
// valid during the call. It may call webview::sendText. [web UI thread] on
// Windows; on Linux the host's UI thread, where the whole editor runs.
typedef void (*PageMessageHandler)(WebViewHost* host, const char* utf8);

// Filled by the module and copied by create.
struct WebViewCallbacks {
    void* userData;        // first argument of every callback below
    const char* formatTag; // "vst3" or "lv2"; carried, never interpreted
    // Folder holding the web engine's entry, UTF-8. On Windows the folder
    // that may hold WebView2Loader.dll (non-ASCII folders work: the path is
    // widened at the Windows boundary); without that DLL the installed
    // WebView2 runtime is used directly. On Linux the folder of the web
    // helper executable. [host UI thread]
    const char* (*loaderFolder)(void* userData);
    // Folder holding index.html, UTF-8. [host UI thread]
    const char* (*webRoot)(void* userData);
    WebViewEditFn beginEdit; // the page starts a gesture, with its first value
    WebViewEditFn setEdit;   // the page moves a value during a gesture
    WebViewEditFn endEdit;   // the page ends a gesture, with its last value
};
