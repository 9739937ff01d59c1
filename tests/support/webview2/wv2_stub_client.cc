// Entry and DllCanUnloadNow of the stand-in for the installed runtime's
// client library, EmbeddedBrowserWebView.dll: it records what its entry
// received, then creates the environment as the stand-in loader does (its
// options read through the interface the runtime asks the IUnknown for).
#include "tests/support/webview2/wv2_stub_objects.h"

#include <string.h>

namespace {

Wv2StubClientCall g_call; // under g_wv2StubLock
LONG g_holdUnload;

bool answers(IUnknown* object, REFIID riid, IUnknown* expected) {
    void* answer = NULL;
    if (!object || FAILED(object->QueryInterface(riid, &answer)) || !answer)
        return false;
    ((IUnknown*)answer)->Release();
    return !expected || answer == expected;
}

} // namespace

// The first argument is taken as the byte it is, to see exactly what came.
WV2_EXPORT HRESULT WINAPI CreateWebViewEnvironmentWithOptionsInternal(
    unsigned char checkRunningInstance, int runtimeType, PCWSTR userDataFolder, IUnknown* options,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    ICoreWebView2EnvironmentOptions* typed = NULL;
    if (options)
        options->QueryInterface(wv2iid::kEnvironmentOptions, (void**)&typed);
    EnterCriticalSection(&g_wv2StubLock);
    ++g_call.calls;
    g_call.checkRunningInstance = checkRunningInstance;
    g_call.runtimeType = runtimeType;
    g_call.userDataFolder[0] = 0;
    if (userDataFolder)
        wcsncpy(g_call.userDataFolder, userDataFolder, MAX_PATH - 1);
    g_call.options_is_identity = answers(options, wv2iid::kUnknown, options);
    g_call.options_answers = typed != NULL;
    g_call.handler_answers = answers(handler, wv2iid::kEnvironmentCompletedHandler, handler);
    LeaveCriticalSection(&g_wv2StubLock);
    HRESULT hr = wv2_stub_create_environment(userDataFolder, typed, handler);
    if (typed)
        typed->Release();
    return hr;
}

// S_OK once nothing made here lives, not even a request kept unanswered.
WV2_EXPORT HRESULT WINAPI DllCanUnloadNow(void) {
    EnterCriticalSection(&g_wv2StubLock);
    ++g_call.unload_asked;
    LeaveCriticalSection(&g_wv2StubLock);
    bool idle = g_wv2StubLive.load() == 0 && wv2_stub_unanswered_count() == 0;
    return idle && !g_holdUnload ? S_OK : S_FALSE;
}

WV2_EXPORT void WINAPI wv2stub_client_call(Wv2StubClientCall* out) {
    EnterCriticalSection(&g_wv2StubLock);
    *out = g_call;
    LeaveCriticalSection(&g_wv2StubLock);
}

WV2_EXPORT void WINAPI wv2stub_hold_unload(int hold) {
    InterlockedExchange(&g_holdUnload, hold);
}
