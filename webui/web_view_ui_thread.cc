// The UI thread of a web view host: its web window, the WebView2 start-up,
// its message loop and its two ends (orderly and failed).
#include "webui/web_view_internal.h"
#include "webui/wv2_environment_options.h"
#include "webui/wv2_handler.h"

#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

// What the thread owns; the start record dies with create's stack frame.
struct UiThread {
    WebViewHost* host;
    bool embedded;
    HWND parent;
    char className[24];
    bool classRegistered;
    bool comInitialised;
    wchar_t* userDataFolder; // double-zero terminated for SHFileOperationW
    WV2EnvironmentOptions* options;
    WV2Handler* handler;
};

LRESULT CALLBACK webWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WebViewHost* host = (WebViewHost*)GetWindowLongPtrA(window, 0);
    if (!host)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
    } else if (message == WM_SETFOCUS) {
        if (host->controller)
            host->controller->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC);
    } else if (message == WM_SIZE && host->controller) {
        RECT bounds;
        GetClientRect(window, &bounds);
        host->controller->put_Bounds(bounds);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool makeWebWindow(UiThread* t, int width, int height) {
    snprintf(t->className, sizeof t->className, "c%llX", (unsigned long long)(uintptr_t)t->host);
    WNDCLASSEXA wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = webWindowProc;
    wc.cbWndExtra = 8;
    wc.hCursor = (HCURSOR)LoadImageA(NULL, (LPCSTR)IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED);
    wc.lpszClassName = t->className;
    t->classRegistered = RegisterClassExA(&wc) != 0;
    if (!t->classRegistered)
        return false;
    HWND w = CreateWindowExA(t->embedded ? WS_EX_NOACTIVATE : 0, t->className, NULL,
                             t->embedded ? 0 : WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, width,
                             height, NULL, NULL, NULL, NULL);
    if (!w)
        return false;
    t->host->webWindow = w;
    if (t->embedded)
        SetWindowLongPtrA(w, GWL_STYLE, 0);
    SetLastError(0);
    return SetWindowLongPtrA(w, 0, (LONG_PTR)t->host) != 0 || GetLastError() == 0;
}

// The user-data folder is the temporary file's name without its extension.
wchar_t* userDataFolder(const wchar_t* tempFile) {
    size_t n = wcslen(tempFile);
    if (n < 4)
        return NULL;
    wchar_t* folder = (wchar_t*)malloc((n + 1) * sizeof(wchar_t));
    if (!folder)
        return NULL;
    memcpy(folder, tempFile, (n - 4) * sizeof(wchar_t));
    folder[n - 4] = 0;
    folder[n - 3] = 0;
    return folder;
}

bool startWebView(UiThread* t, const WebViewStart* start) {
    HRESULT hr = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    t->comInitialised = SUCCEEDED(hr);
    if (!t->comInitialised)
        return false;
    t->userDataFolder = userDataFolder(start->tempFile);
    t->options = wv2EnvironmentOptionsCreate();
    t->handler = wv2HandlerCreate(t->host, start->navigationTarget);
    if (!t->userDataFolder || !t->options || !t->handler)
        return false;
    if (FAILED(t->options->put_AdditionalBrowserArguments(L"--allow-file-access-from-files")))
        return false;
    return SUCCEEDED(wv2RuntimeCreateEnvironment(start->runtime, t->userDataFolder, t->options,
                                                 wv2HandlerAsEnvironmentCompleted(t->handler)));
}

// Start-up succeeded: put the web window into its parent and show it.
bool becomeReady(UiThread* t) {
    WebViewHost* host = t->host;
    SetLastError(0);
    if (!SetParent(host->webWindow, t->parent) && GetLastError() != 0)
        return false;
    if (!SetWindowPos(host->webWindow, NULL, 0, 0, 0, 0,
                      SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED))
        return false;
    if (FAILED(host->controller->put_IsVisible(TRUE)))
        return false;
    // Shown before create returns: the host thread still answers sent
    // messages while it waits, not necessarily after.
    ShowWindow(host->webWindow, SW_SHOW);
    ReleaseSemaphore(host->ackSemaphore, 1, NULL);
    return true;
}

void end(UiThread* t, bool failed) {
    WebViewHost* host = t->host;
    if (host->controller) {
        host->controller->Close();
        host->controller->Release();
        host->controller = NULL;
    }
    if (t->userDataFolder) {
        SHFILEOPSTRUCTW op;
        memset(&op, 0, sizeof op);
        op.wFunc = FO_DELETE;
        op.pFrom = t->userDataFolder;
        op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
        SHFileOperationW(&op);
        free(t->userDataFolder);
    }
    if (t->handler)
        wv2HandlerRelease(t->handler);
    if (t->options)
        t->options->Release();
    if (host->webWindow && IsWindow(host->webWindow))
        DestroyWindow(host->webWindow);
    if (t->classRegistered)
        UnregisterClassA(t->className, NULL);
    if (t->comInitialised)
        CoUninitialize();
    if (failed)
        host->webWindow = NULL;
    ReleaseSemaphore(host->ackSemaphore, 1, NULL);
}

bool isOwn(const WebViewHost* host, const MSG& msg, UINT message) {
    return msg.hwnd == host->webWindow && msg.message == message;
}

// Returns true for an orderly end, false for a failure.
bool runLoop(UiThread* t) {
    WebViewHost* host = t->host;
    MSG msg;
    for (;;) {
        BOOL r = GetMessageA(&msg, NULL, 0, 0);
        if (r == 0)
            return true;
        if (r < 0)
            return false;
        if (isOwn(host, msg, kMsgStartupDone)) {
            if (msg.wParam == 0 || !host->controller || !becomeReady(t))
                return false;
            continue;
        }
        if (isOwn(host, msg, kMsgShutdown))
            return true;
        if (webViewServeRequest(host, msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (host->shutdownPending)
            return true; // seen while forwarding an edit
    }
}

} // namespace

DWORD WINAPI webViewUiThread(void* arg) {
    const WebViewStart* start = (const WebViewStart*)arg;
    UiThread t;
    memset(&t, 0, sizeof t);
    t.host = start->host;
    t.embedded = start->embedded;
    t.parent = start->parent;
    t.host->controller = NULL;
    if (!makeWebWindow(&t, start->width, start->height) || !startWebView(&t, start)) {
        end(&t, true);
        return 0;
    }
    end(&t, !runLoop(&t));
    return 0;
}

bool webViewServeRequest(WebViewHost* host, const MSG& msg) {
    if (msg.hwnd != host->webWindow)
        return false;
    if (msg.message == kMsgSetParameter) {
        webViewSendValue(host, (uint32_t)msg.wParam, webViewBitsFloat((uint32_t)msg.lParam));
    } else if (msg.message == kMsgSendText) {
        webViewSendText(host, (const char*)msg.lParam);
    } else {
        return false;
    }
    ReleaseSemaphore(host->ackSemaphore, 1, NULL);
    return true;
}
