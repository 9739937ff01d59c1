// Host-thread side of the web view host: creation and the freeing of its
// objects. The calls the host thread makes of a running host, and the hidden
// window that runs the module's edit callbacks, are in web_view_host_calls.cc.
#include "webui/web_view_internal.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

bool store_host_pointer(HWND window, WebViewHost* host) {
    SetLastError(0);
    return SetWindowLongPtrA(window, 0, (LONG_PTR)host) != 0 || GetLastError() == 0;
}

bool register_hidden_class(WebViewHost* host) {
    snprintf(host->hiddenClassName, sizeof host->hiddenClassName, "d%llX",
             (unsigned long long)(uintptr_t)host);
    WNDCLASSEXA wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = web_view_hidden_window_proc;
    wc.cbWndExtra = 8;
    wc.lpszClassName = host->hiddenClassName;
    return RegisterClassExA(&wc) != 0;
}

} // namespace

void web_view_free_host(WebViewHost* host) {
    if (host->ui_thread) {
        // Its last act was releasing ackSemaphore; let it leave our code (and the
        // loader's) before the library and the host go.
        WaitForSingleObject(host->ui_thread, INFINITE);
        CloseHandle(host->ui_thread);
    }
    if (host->callLock)
        CloseHandle(host->callLock);
    if (host->doneSemaphore)
        CloseHandle(host->doneSemaphore);
    if (host->hiddenWindow)
        DestroyWindow(host->hiddenWindow);
    UnregisterClassA(host->hiddenClassName, NULL);
    free(host->dispatch.valueCache);
    if (host->ackSemaphore)
        CloseHandle(host->ackSemaphore);
    wv2_runtime_release(host->loaderModule, host->runtime_client);
    free(host);
}

namespace {

WebViewHost* new_host(const WebViewCallbacks* callbacks, PageMessageHandler handler,
                      size_t parameterCount) {
    WebViewHost* host = (WebViewHost*)calloc(1, sizeof(WebViewHost));
    if (!host)
        return NULL;
    host->hostThreadId = GetCurrentThreadId();
    host->callbacks = *callbacks;
    host->dispatch.context = host;
    host->dispatch.formatTag = callbacks->formatTag;
    host->dispatch.beginEdit = web_view_forward_begin;
    host->dispatch.setEdit = web_view_forward_set;
    host->dispatch.endEdit = web_view_forward_end;
    host->dispatch.handler = handler;
    host->dispatch.parameterCount = parameterCount;
    // Zeroed rather than undefined: a "g" before any value was set reports 0.
    host->dispatch.valueCache = (float*)calloc(parameterCount ? parameterCount : 1, sizeof(float));
    host->ackSemaphore = CreateSemaphoreA(NULL, 0, 1, NULL);
    if (!host->dispatch.valueCache || !host->ackSemaphore) {
        web_view_free_host(host);
        return NULL;
    }
    return host;
}

bool make_host_thread_objects(WebViewHost* host, bool embedded, HWND parent) {
    if (!register_hidden_class(host))
        return false;
    host->hiddenWindow =
        CreateWindowExA(0, host->hiddenClassName, "", embedded ? WS_CHILD : WS_POPUP, 0, 0, 0, 0,
                        parent, NULL, NULL, NULL);
    if (!host->hiddenWindow || !store_host_pointer(host->hiddenWindow, host))
        return false;
    host->doneSemaphore = CreateSemaphoreA(NULL, 0, 1, NULL);
    host->callLock = CreateSemaphoreA(NULL, 1, 1, NULL);
    return host->doneSemaphore && host->callLock;
}

// WebView2 starts within seconds, a first start on a slow machine included; a
// runtime that never answers must not hold the plug-in host's thread forever.
constexpr DWORD kStartupTimeoutMs = 20000;

// Runs the UI thread and waits for its start-up verdict.
bool start_ui_thread(WebViewHost* host, WebViewStart* start) {
    host->ui_thread = CreateThread(NULL, 0, web_view_ui_thread, start, 0, &host->uiThreadId);
    if (!host->ui_thread)
        return false;
    if (web_view_wait_for(host->ackSemaphore, kStartupTimeoutMs))
        return host->webWindow != NULL;
    // No verdict in time: the UI thread waits in its loop for one, so have
    // it end there, and let it finish before anything it uses is freed.
    HWND window = host->webWindow;
    if (window)
        PostMessageA(window, kMsgShutdown, 0, 0);
    web_view_wait(host->ui_thread);
    return false;
}

} // namespace

bool web_view_wait(HANDLE handle) {
    return web_view_wait_for(handle, INFINITE);
}

bool web_view_wait_for(HANDLE handle, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD left = INFINITE;
        if (timeout_ms != INFINITE) {
            DWORD spent = GetTickCount() - start;
            left = spent < timeout_ms ? timeout_ms - spent : 0;
        }
        DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0)
            return true;
        if (r != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg; // delivers pending sent messages, removes nothing posted
        PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

wchar_t* web_view_widen(const char* utf8, const wchar_t* suffix) {
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, NULL, 0);
    if (n <= 0)
        return NULL;
    size_t extra = wcslen(suffix);
    wchar_t* out = (wchar_t*)malloc(((size_t)n + extra) * sizeof(wchar_t));
    if (!out)
        return NULL;
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, out, n);
    memcpy(out + n - 1, suffix, (extra + 1) * sizeof(wchar_t));
    return out;
}

namespace webview {

WebViewHost* create(bool embedded, HWND parent, const WebViewCallbacks* callbacks,
                    PageMessageHandler handler, int width, int height, size_t parameterCount) {
    if (!callbacks || !callbacks->webRoot)
        return NULL;
    const char* loaderFolder =
        callbacks->loaderFolder ? callbacks->loaderFolder(callbacks->userData) : NULL;
    Wv2Runtime runtime;
    if (!wv2_runtime_open(&runtime, loaderFolder))
        return NULL;
    const char* root = callbacks->webRoot(callbacks->userData);
    wchar_t* target = root ? web_view_widen(root, L"\\index.html") : NULL;
    WebViewHost* host = target ? new_host(callbacks, handler, parameterCount) : NULL;
    if (!host) {
        free(target);
        wv2_runtime_release(runtime.module, runtime.client_entry != NULL);
        return NULL;
    }
    host->loaderModule = runtime.module;
    host->runtime_client = runtime.client_entry != NULL;
    wchar_t temp_folder[262];
    wchar_t temp_file[MAX_PATH + 2];
    DWORD temp_length = GetTempPathW(262, temp_folder);
    bool ok = temp_length > 0 && temp_length < 262 &&
              GetTempFileNameW(temp_folder, L"vino", 0, temp_file) != 0;
    bool have_temp_file = ok;
    ok = ok && make_host_thread_objects(host, embedded, parent);
    WebViewStart start = {host, embedded, parent, width, height, &runtime, target, temp_file};
    ok = ok && start_ui_thread(host, &start);
    if (have_temp_file)
        DeleteFileW(temp_file);
    free(target);
    if (!ok) {
        web_view_free_host(host);
        return NULL;
    }
    return host;
}

void idle(WebViewHost*) {}

} // namespace webview
