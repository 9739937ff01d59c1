// Host-thread side of the web view host: creation, destruction, the requests
// the host thread makes of the UI thread, and the hidden window that runs the
// module's edit callbacks.
#include "webui/web_view_internal.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

void destroyNow(WebViewHost* host);

// Brackets a call of ours on the host thread, so that a destroy asked for
// inside it waits until the outermost one returns. [host UI thread]
void enterHostCall(WebViewHost* host) {
    ++host->hostCalls;
}
void leaveHostCall(WebViewHost* host) {
    if (--host->hostCalls == 0 && host->destroyPending)
        destroyNow(host);
}

LRESULT CALLBACK hiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WebViewHost* host = (WebViewHost*)GetWindowLongPtrA(window, 0);
    if (!host || message < kMsgBeginEdit || message > kMsgEndEdit)
        return DefWindowProcA(window, message, wParam, lParam);
    WebViewEditFn edits[3] = {host->callbacks.beginEdit, host->callbacks.setEdit,
                              host->callbacks.endEdit};
    WebViewEditFn edit = edits[message - kMsgBeginEdit];
    enterHostCall(host);
    InterlockedExchange(&host->inCallback, 1);
    if (edit && !host->destroyPending)
        edit(host->callbacks.userData, (uint32_t)wParam, webViewBitsFloat((uint32_t)lParam));
    InterlockedExchange(&host->inCallback, 0);
    ReleaseSemaphore(host->doneSemaphore, 1, NULL);
    leaveHostCall(host);
    return 0;
}

// Takes callLock on the host thread while running the edit requests the UI
// thread may be making meanwhile (it may hold the lock waiting for one).
bool lockServingHidden(WebViewHost* host) {
    for (;;) {
        DWORD r = WaitForSingleObject(host->callLock, 0);
        if (r == WAIT_OBJECT_0)
            return true;
        if (r != WAIT_TIMEOUT)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, host->hiddenWindow, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // Sleeps until the lock frees (and is then ours) or a message arrives;
        // sent messages are answered inside the wait.
        r = MsgWaitForMultipleObjects(1, &host->callLock, FALSE, 5,
                                      QS_POSTMESSAGE | QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0)
            return true;
        if (r == WAIT_FAILED)
            return false;
    }
}

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
    wc.lpfnWndProc = hiddenWindowProc;
    wc.cbWndExtra = 8;
    wc.lpszClassName = host->hiddenClassName;
    return RegisterClassExA(&wc) != 0;
}

// Posts one request to the UI thread and waits for its acknowledgement,
// holding callLock when called on the host thread.
int32_t request(WebViewHost* host, UINT message, WPARAM wParam, LPARAM lParam) {
    bool hostThread = GetCurrentThreadId() == host->hostThreadId;
    if (!hostThread) {
        if (!PostMessageA(host->webWindow, message, wParam, lParam))
            return -1;
        return webViewWait(host->ackSemaphore) ? 0 : -1;
    }
    enterHostCall(host);
    int32_t status = -1;
    // An edit served while waiting for the lock may have closed the editor.
    if (lockServingHidden(host)) {
        if (!host->destroyPending && PostMessageA(host->webWindow, message, wParam, lParam))
            status = webViewWait(host->ackSemaphore) ? 0 : -1;
        ReleaseSemaphore(host->callLock, 1, NULL);
    }
    leaveHostCall(host);
    return status;
}

void freeHostObjects(WebViewHost* host) {
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
    if (host->loaderModule)
        FreeLibrary(host->loaderModule);
    free(host);
}

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
        freeHostObjects(host);
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

HMODULE loadLoader(const WebViewCallbacks* callbacks,
                   CreateCoreWebView2EnvironmentWithOptionsFn* entry) {
    const char* folder =
        callbacks->loaderFolder ? callbacks->loaderFolder(callbacks->userData) : NULL;
    if (!folder)
        return NULL;
    wchar_t* path = webViewWiden(folder, L"\\WebView2Loader.dll");
    if (!path)
        return NULL;
    HMODULE module = LoadLibraryW(path);
    free(path);
    if (!module)
        return NULL;
    *entry = (CreateCoreWebView2EnvironmentWithOptionsFn)(void (*)())GetProcAddress(
        module, "CreateCoreWebView2EnvironmentWithOptions");
    if (!*entry) {
        FreeLibrary(module);
        return NULL;
    }
    return module;
}

// Runs the UI thread and waits for its start-up verdict.
bool startUiThread(WebViewHost* host, WebViewStart* start) {
    host->uiThread = CreateThread(NULL, 0, webViewUiThread, start, 0, &host->uiThreadId);
    if (!host->uiThread)
        return false;
    return webViewWait(host->ackSemaphore) && host->webWindow != NULL;
}

} // namespace

bool webViewWait(HANDLE handle) {
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE);
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
    CreateCoreWebView2EnvironmentWithOptionsFn entry = NULL;
    HMODULE module = loadLoader(callbacks, &entry);
    if (!module)
        return NULL;
    const char* root = callbacks->webRoot(callbacks->userData);
    wchar_t* target = root ? webViewWiden(root, L"\\index.html") : NULL;
    WebViewHost* host = target ? newHost(callbacks, handler, parameterCount) : NULL;
    if (!host) {
        free(target);
        FreeLibrary(module);
        return NULL;
    }
    host->loaderModule = module;
    wchar_t tempFolder[262];
    wchar_t tempFile[MAX_PATH + 2];
    DWORD tempLength = GetTempPathW(262, tempFolder);
    bool ok = tempLength > 0 && tempLength < 262 &&
              GetTempFileNameW(tempFolder, L"vino", 0, tempFile) != 0;
    bool haveTempFile = ok;
    ok = ok && makeHostThreadObjects(host, embedded, parent);
    WebViewStart start = {host, embedded, parent, width, height, entry, target, tempFile};
    ok = ok && startUiThread(host, &start);
    if (haveTempFile)
        DeleteFileW(tempFile);
    free(target);
    if (!ok) {
        freeHostObjects(host);
        return NULL;
    }
    return host;
}

int32_t setParameter(WebViewHost* host, uint32_t index, float value) {
    if (!host || index >= host->dispatch.parameterCount)
        return -1;
    DWORD self = GetCurrentThreadId();
    if (self == host->uiThreadId)
        return webViewSendValue(host, index, value);
    if (self == host->hostThreadId && host->inCallback) {
        // The UI thread waits inside its forwarding function: hand the value
        // over and let it post while this callback is still running.
        host->handoffIndex = (LONG)index;
        host->handoffBits = (LONG)webViewFloatBits(value);
        ReleaseSemaphore(host->doneSemaphore, 1, NULL);
        return webViewWait(host->ackSemaphore) ? 0 : -1;
    }
    return request(host, kMsgSetParameter, index, (LPARAM)webViewFloatBits(value));
}

int32_t sendText(WebViewHost* host, const char* utf8) {
    if (!host || !utf8)
        return -1;
    if (GetCurrentThreadId() == host->uiThreadId)
        return webViewSendText(host, utf8);
    // Invalid UTF-8 is refused here, where the caller can still see the failure.
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, NULL, 0) <= 0)
        return -1;
    // From inside an edit callback the UI thread could never serve the request.
    if (GetCurrentThreadId() == host->hostThreadId && host->inCallback)
        return -1;
    return request(host, kMsgSendText, 0, (LPARAM)utf8);
}

void destroy(WebViewHost* host) {
    if (!host)
        return;
    if (GetCurrentThreadId() == host->hostThreadId && host->hostCalls > 0) {
        host->destroyPending = true; // inside an edit callback: see leaveHostCall
        return;
    }
    destroyNow(host);
}

void idle(WebViewHost*) {}

} // namespace webview

namespace {

// Edits still queued for the hidden window are served while waiting for the
// lock, but no longer reach the module. [host UI thread]
void destroyNow(WebViewHost* host) {
    host->destroyPending = true;
    host->hostCalls = 1; // no nested call may start a second destroy
    if (!lockServingHidden(host))
        return;
    if (!PostMessageA(host->webWindow, kMsgShutdown, 0, 0)) {
        // The web window is gone (its parent was destroyed first) and the UI
        // thread has ended by itself: free everything rather than leak it.
        if (WaitForSingleObject(host->uiThread, 0) == WAIT_OBJECT_0) {
            freeHostObjects(host);
            return;
        }
        ReleaseSemaphore(host->callLock, 1, NULL);
        return;
    }
    webViewWait(host->ackSemaphore);
    freeHostObjects(host);
}

} // namespace
