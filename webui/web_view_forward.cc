// Forwarding of the page's edits from the UI thread to the host thread,
// where the module's edit callbacks run.
#include "webui/web_view_internal.h"

namespace {

enum LockResult { kLocked, kShutdown, kLockFailed };

// Takes callLock on the UI thread. While the host thread holds it, it waits
// for one of our replies (a value, a text, or the end), so those requests are
// served here. Other messages (WebView2's own, hence later page messages)
// stay queued: running them here would forward a later edit before this one.
LockResult lock_serving_requests(WebViewHost* host) {
    for (;;) {
        if (host->shutdown_pending)
            return kShutdown;
        DWORD r = WaitForSingleObject(host->callLock, 0);
        if (r == WAIT_OBJECT_0)
            return kLocked;
        if (r != WAIT_TIMEOUT)
            return kLockFailed;
        MSG msg;
        while (PeekMessageA(&msg, host->webWindow, kMsgShutdown, kMsgSendText, PM_REMOVE)) {
            if (msg.message == kMsgShutdown) {
                host->shutdown_pending = 1;
                return kShutdown;
            }
            web_view_serve_request(host, msg);
        }
        r = MsgWaitForMultipleObjects(1, &host->callLock, FALSE, 5,
                                      QS_POSTMESSAGE | QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0)
            return kLocked;
        if (r == WAIT_FAILED)
            return kLockFailed;
    }
}

int32_t forward(WebViewHost* host, UINT message, uint32_t index, float value) {
    if (lock_serving_requests(host) != kLocked)
        return -1; // the edit is dropped
    int32_t status = -1;
    if (PostMessageA(host->hiddenWindow, message, index, (LPARAM)web_view_float_bits(value))) {
        status = 0;
        // Each release of doneSemaphore is either the callback's end or a value
        // the module set from inside it, which goes to the page right away.
        while (web_view_wait(host->doneSemaphore) && host->inCallback) {
            web_view_send_value(host, (uint32_t)host->handoffIndex,
                                web_view_bits_float((uint32_t)host->handoff_bits));
            ReleaseSemaphore(host->ackSemaphore, 1, NULL);
        }
    }
    ReleaseSemaphore(host->callLock, 1, NULL);
    return status;
}

} // namespace

int32_t web_view_forward_begin(WebViewHost* host, uint32_t index, float value) {
    return forward(host, kMsgBeginEdit, index, value);
}

int32_t web_view_forward_set(WebViewHost* host, uint32_t index, float value) {
    return forward(host, kMsgSetEdit, index, value);
}

int32_t web_view_forward_end(WebViewHost* host, uint32_t index, float value) {
    return forward(host, kMsgEndEdit, index, value);
}
