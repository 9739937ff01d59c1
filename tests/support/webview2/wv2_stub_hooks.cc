// Test hooks of both stand-ins that read or drive a web view: page messages
// in and out, navigations, process failures, handled events, snapshots and
// object counts.
#include "tests/support/webview2/wv2_stub_objects.h"

#include <string.h>

WV2_EXPORT int WINAPI wv2stub_post_page_message(HWND parent, const wchar_t* text, int is_string) {
    return wv2_stub_post_event(parent, kStubPageMessage, text, is_string);
}

WV2_EXPORT int WINAPI wv2stub_navigate(HWND parent, const wchar_t* uri, int newWindow) {
    return wv2_stub_post_event(parent, kStubNavigation, uri, newWindow);
}

WV2_EXPORT int WINAPI wv2stub_process_failed(HWND parent) {
    return wv2_stub_post_event(parent, kStubProcessFailed, L"", 0);
}

WV2_EXPORT int WINAPI wv2stub_page_message(HWND parent, int index, wchar_t* out, int capacity) {
    EnterCriticalSection(&g_wv2StubLock);
    StubWebView* w = wv2_stub_find(parent);
    int count = w ? (int)w->posted.size() : -1;
    if (w && index >= 0 && index < count && out && capacity > 0) {
        wcsncpy(out, w->posted[(size_t)index].c_str(), (size_t)capacity - 1);
        out[capacity - 1] = 0;
    }
    LeaveCriticalSection(&g_wv2StubLock);
    return count;
}

WV2_EXPORT int WINAPI wv2stub_result(HWND parent, int index, Wv2StubResult* out) {
    EnterCriticalSection(&g_wv2StubLock);
    StubWebView* w = wv2_stub_find(parent);
    int count = w ? (int)w->results.size() : -1;
    if (w && index >= 0 && index < count && out)
        *out = w->results[(size_t)index];
    LeaveCriticalSection(&g_wv2StubLock);
    return count;
}

WV2_EXPORT int WINAPI wv2stub_snapshot(HWND parent, Wv2StubSnapshot* out) {
    EnterCriticalSection(&g_wv2StubLock);
    StubWebView* w = wv2_stub_find(parent);
    if (w && out)
        *out = w->snapshot;
    LeaveCriticalSection(&g_wv2StubLock);
    return w ? 0 : -1;
}

WV2_EXPORT int WINAPI wv2stub_live_objects(void) {
    return g_wv2StubLive.load();
}

WV2_EXPORT void* WINAPI wv2stub_message_handler(HWND parent) {
    EnterCriticalSection(&g_wv2StubLock);
    StubWebView* w = wv2_stub_find(parent);
    void* h = w ? (void*)w->message_handler : NULL;
    LeaveCriticalSection(&g_wv2StubLock);
    return h;
}

WV2_EXPORT int WINAPI wv2stub_unanswered(void) {
    return wv2_stub_unanswered_count();
}
