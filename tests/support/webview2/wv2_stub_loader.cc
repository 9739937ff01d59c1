// Entry of the stand-in WebView2Loader.dll.
#include "tests/support/webview2/wv2_stub_objects.h"

// The browser folder is ignored: the stand-in is the runtime as well.
WV2_EXPORT HRESULT WINAPI CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR, PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* options,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    return wv2_stub_create_environment(userDataFolder, options, handler);
}
