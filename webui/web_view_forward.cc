// Forwarding of the page's edits from the UI thread to the host thread,
// where the module's edit callbacks run.
#include "webui/web_view_internal.h"

namespace {

enum LockResult { kLocked, kShutdown, kLockFailed };

// Takes callLock on the UI thread. While the host thread holds it, it waits
// for one of our replies (a value, a text, or the end), so those requests are
// served here. Other messages (WebView2's own, hence later page messages)
// stay queued: running them here would forward a later edit before this one.
LockResult lockServingRequests(WebViewHost* host) {
    for (;;) {
        if (host->shutdownPending)
            return kShutdown;
        DWORD r = WaitForSingleObject(host->callLock, 0);
        if (r == WAIT_OBJECT_0)
            return kLocked;
        if (r != WAIT_TIMEOUT)
            return kLockFailed;
        MSG msg;
        while (PeekMessageA(&msg, host->webWindow, kMsgShutdown, kMsgSendText, PM_REMOVE)) {
            if (msg.message == kMsgShutdown) {
                host->shutdownPending = 1;
                return kShutdown;
            }
            webViewServeRequest(host, msg);
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
    if (lockServingRequests(host) != kLocked)
        return -1; // the edit is dropped
    int32_t status = -1;
    if (PostMessageA(host->hiddenWindow, message, index, (LPARAM)webViewFloatBits(value))) {
        status = 0;
        // Each release of doneSemaphore is either the callback's end or a value
        // the module set from inside it, which goes to the page right away.
        while (webViewWait(host->doneSemaphore) && host->inCallback) {
            webViewSendValue(host, (uint32_t)host->handoffIndex,
                             webViewBitsFloat((uint32_t)host->handoffBits));
            ReleaseSemaphore(host->ackSemaphore, 1, NULL);
        }
    }
    ReleaseSemaphore(host->callLock, 1, NULL);
    return status;
}

} // namespace

int32_t webViewForwardBegin(WebViewHost* host, uint32_t index, float value) {
    return forward(host, kMsgBeginEdit, index, value);
}

int32_t webViewForwardSet(WebViewHost* host, uint32_t index, float value) {
    return forward(host, kMsgSetEdit, index, value);
}

int32_t webViewForwardEnd(WebViewHost* host, uint32_t index, float value) {
    return forward(host, kMsgEndEdit, index, value);
}
