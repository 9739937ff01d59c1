// The calls the host thread makes of a running web view host (values, texts,
// the end), and the hidden window through which the UI thread runs the
// module's edit callbacks on the host thread. A destroy asked for inside one
// of these calls, typically by a host that closes the editor from inside its
// edit handling, waits until the outermost call has returned.
#include "webui/web_view_internal.h"

namespace {

void destroy_now(WebViewHost* host);

// Brackets a call of ours on the host thread, so that a destroy asked for
// inside it waits until the outermost one returns. [host UI thread]
void enter_host_call(WebViewHost* host) {
    ++host->host_calls;
}
void leave_host_call(WebViewHost* host) {
    if (--host->host_calls == 0 && host->destroy_pending)
        destroy_now(host);
}

} // namespace

LRESULT CALLBACK web_view_hidden_window_proc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    WebViewHost* host = (WebViewHost*)GetWindowLongPtrA(window, 0);
    if (!host || message < kMsgBeginEdit || message > kMsgEndEdit)
        return DefWindowProcA(window, message, wParam, lParam);
    WebViewEditFn edits[3] = {host->callbacks.beginEdit, host->callbacks.setEdit,
                              host->callbacks.endEdit};
    WebViewEditFn edit = edits[message - kMsgBeginEdit];
    enter_host_call(host);
    InterlockedExchange(&host->inCallback, 1);
    if (edit && !host->destroy_pending)
        edit(host->callbacks.userData, (uint32_t)wParam, web_view_bits_float((uint32_t)lParam));
    InterlockedExchange(&host->inCallback, 0);
    ReleaseSemaphore(host->doneSemaphore, 1, NULL);
    leave_host_call(host);
    return 0;
}

namespace {

// Takes callLock on the host thread while running the edit requests the UI
// thread may be making meanwhile (it may hold the lock waiting for one).
bool lock_serving_hidden(WebViewHost* host) {
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

// Posts one request to the UI thread and waits for its acknowledgement,
// holding callLock when called on the host thread.
int32_t request(WebViewHost* host, UINT message, WPARAM wParam, LPARAM lParam) {
    bool host_thread = GetCurrentThreadId() == host->hostThreadId;
    if (!host_thread) {
        if (!PostMessageA(host->webWindow, message, wParam, lParam))
            return -1;
        return web_view_wait(host->ackSemaphore) ? 0 : -1;
    }
    enter_host_call(host);
    int32_t status = -1;
    // An edit served while waiting for the lock may have closed the editor.
    if (lock_serving_hidden(host)) {
        if (!host->destroy_pending && PostMessageA(host->webWindow, message, wParam, lParam))
            status = web_view_wait(host->ackSemaphore) ? 0 : -1;
        ReleaseSemaphore(host->callLock, 1, NULL);
    }
    leave_host_call(host);
    return status;
}

// Edits still queued for the hidden window are served while waiting for the
// lock, but no longer reach the module. [host UI thread]
void destroy_now(WebViewHost* host) {
    host->destroy_pending = true;
    host->host_calls = 1; // no nested call may start a second destroy
    if (!lock_serving_hidden(host))
        return;
    if (!PostMessageA(host->webWindow, kMsgShutdown, 0, 0)) {
        // The web window is gone (its parent was destroyed first) and the UI
        // thread has ended by itself: free everything rather than leak it.
        if (WaitForSingleObject(host->ui_thread, 0) == WAIT_OBJECT_0) {
            web_view_free_host(host);
            return;
        }
        ReleaseSemaphore(host->callLock, 1, NULL);
        return;
    }
    web_view_wait(host->ackSemaphore);
    web_view_free_host(host);
}

} // namespace

namespace webview {

int32_t setParameter(WebViewHost* host, uint32_t index, float value) {
    if (!host || index >= host->dispatch.parameterCount)
        return -1;
    DWORD self = GetCurrentThreadId();
    if (self == host->uiThreadId)
        return web_view_send_value(host, index, value);
    if (self == host->hostThreadId && host->inCallback) {
        // The UI thread waits inside its forwarding function: hand the value
        // over and let it post while this callback is still running.
        host->handoffIndex = (LONG)index;
        host->handoff_bits = (LONG)web_view_float_bits(value);
        ReleaseSemaphore(host->doneSemaphore, 1, NULL);
        return web_view_wait(host->ackSemaphore) ? 0 : -1;
    }
    return request(host, kMsgSetParameter, index, (LPARAM)web_view_float_bits(value));
}

int32_t sendText(WebViewHost* host, const char* utf8) {
    if (!host || !utf8)
        return -1;
    if (GetCurrentThreadId() == host->uiThreadId)
        return web_view_send_text(host, utf8);
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
    if (GetCurrentThreadId() == host->hostThreadId && host->host_calls > 0) {
        host->destroy_pending = true; // inside an edit callback: see leave_host_call
        return;
    }
    destroy_now(host);
}

} // namespace webview
