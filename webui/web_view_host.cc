// Host-thread side of the web view host: creation and the freeing of its
// objects. The calls the host thread makes of a running host, and the hidden
// window that runs the module's edit callbacks, are in web_view_host_calls.cc.
#include "webui/web_view_internal.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

bool storeHostPointer(HWND window, WebViewHost* host) {
    SetLastError(0);
    return SetWindowLongPtrA(window, 0, (LONG_PTR)host) != 0 || GetLastError() == 0;
}

bool registerHiddenClass(WebViewHost* host) {
    snprintf(host->hiddenClassName, sizeof host->hiddenClassName, "d%llX",
             (unsigned long long)(uintptr_t)host);
    WNDCLASSEXA wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = webViewHiddenWindowProc;
    wc.cbWndExtra = 8;
    wc.lpszClassName = host->hiddenClassName;
    return RegisterClassExA(&wc) != 0;
}

} // namespace

void webViewFreeHost(WebViewHost* host) {
    if (host->uiThread) {
        // Its last act was releasing ackSemaphore; let it leave our code (and the
        // loader's) before the library and the host go.
        WaitForSingleObject(host->uiThread, INFINITE);
        CloseHandle(host->uiThread);
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
    wv2RuntimeRelease(host->loaderModule, host->runtimeClient);
    free(host);
}

namespace {

WebViewHost* newHost(const WebViewCallbacks* callbacks, PageMessageHandler handler,
                     size_t parameterCount) {
    WebViewHost* host = (WebViewHost*)calloc(1, sizeof(WebViewHost));
    if (!host)
        return NULL;
    host->hostThreadId = GetCurrentThreadId();
    host->callbacks = *callbacks;
    host->dispatch.context = host;
    host->dispatch.formatTag = callbacks->formatTag;
    host->dispatch.beginEdit = webViewForwardBegin;
    host->dispatch.setEdit = webViewForwardSet;
    host->dispatch.endEdit = webViewForwardEnd;
    host->dispatch.handler = handler;
    host->dispatch.parameterCount = parameterCount;
    // Zeroed rather than undefined: a "g" before any value was set reports 0.
    host->dispatch.valueCache = (float*)calloc(parameterCount ? parameterCount : 1, sizeof(float));
    host->ackSemaphore = CreateSemaphoreA(NULL, 0, 1, NULL);
    if (!host->dispatch.valueCache || !host->ackSemaphore) {
        webViewFreeHost(host);
        return NULL;
    }
    return host;
}

bool makeHostThreadObjects(WebViewHost* host, bool embedded, HWND parent) {
    if (!registerHiddenClass(host))
        return false;
    host->hiddenWindow =
        CreateWindowExA(0, host->hiddenClassName, "", embedded ? WS_CHILD : WS_POPUP, 0, 0, 0, 0,
                        parent, NULL, NULL, NULL);
    if (!host->hiddenWindow || !storeHostPointer(host->hiddenWindow, host))
        return false;
    host->doneSemaphore = CreateSemaphoreA(NULL, 0, 1, NULL);
    host->callLock = CreateSemaphoreA(NULL, 1, 1, NULL);
    return host->doneSemaphore && host->callLock;
}

// WebView2 starts within seconds, a first start on a slow machine included; a
// runtime that never answers must not hold the plug-in host's thread forever.
constexpr DWORD kStartupTimeoutMs = 20000;

// Runs the UI thread and waits for its start-up verdict.
bool startUiThread(WebViewHost* host, WebViewStart* start) {
    host->uiThread = CreateThread(NULL, 0, webViewUiThread, start, 0, &host->uiThreadId);
    if (!host->uiThread)
        return false;
    if (webViewWaitFor(host->ackSemaphore, kStartupTimeoutMs))
        return host->webWindow != NULL;
    // No verdict in time: the UI thread waits in its loop for one, so have
    // it end there, and let it finish before anything it uses is freed.
    HWND window = host->webWindow;
    if (window)
        PostMessageA(window, kMsgShutdown, 0, 0);
    webViewWait(host->uiThread);
    return false;
}

} // namespace

bool webViewWait(HANDLE handle) {
    return webViewWaitFor(handle, INFINITE);
}

bool webViewWaitFor(HANDLE handle, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            DWORD spent = GetTickCount() - start;
            left = spent < timeoutMs ? timeoutMs - spent : 0;
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

wchar_t* webViewWiden(const char* utf8, const wchar_t* suffix) {
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
    if (!wv2RuntimeOpen(&runtime, loaderFolder))
        return NULL;
    const char* root = callbacks->webRoot(callbacks->userData);
    wchar_t* target = root ? webViewWiden(root, L"\\index.html") : NULL;
    WebViewHost* host = target ? newHost(callbacks, handler, parameterCount) : NULL;
    if (!host) {
        free(target);
        wv2RuntimeRelease(runtime.module, runtime.clientEntry != NULL);
        return NULL;
    }
    host->loaderModule = runtime.module;
    host->runtimeClient = runtime.clientEntry != NULL;
    wchar_t tempFolder[262];
    wchar_t tempFile[MAX_PATH + 2];
    DWORD tempLength = GetTempPathW(262, tempFolder);
    bool ok = tempLength > 0 && tempLength < 262 &&
              GetTempFileNameW(tempFolder, L"vino", 0, tempFile) != 0;
    bool haveTempFile = ok;
    ok = ok && makeHostThreadObjects(host, embedded, parent);
    WebViewStart start = {host, embedded, parent, width, height, &runtime, target, tempFile};
    ok = ok && startUiThread(host, &start);
    if (haveTempFile)
        DeleteFileW(tempFile);
    free(target);
    if (!ok) {
        webViewFreeHost(host);
        return NULL;
    }
    return host;
}

void idle(WebViewHost*) {}

} // namespace webview
