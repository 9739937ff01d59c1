// The web editor host of this platform: WebView2 on its own UI thread on
// Windows, a WebKitGTK helper process on Linux. Both offer the operations of
// namespace webview with the same contracts, and a `webWindow` to hand the
// plug-in host as the editor's window.
#pragma once

#ifdef _WIN32
#include "webui/web_view_host.h"
typedef HWND WebViewParent;
#else
#include "webui/web_view_x11.h"
typedef unsigned long WebViewParent; // an X11 window
#endif
