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
    char class_name[24];
    bool class_registered;
    bool com_initialised;
    wchar_t* userDataFolder; // double-zero terminated for SHFileOperationW
    WV2EnvironmentOptions* options;
    WV2Handler* handler;
};

LRESULT CALLBACK web_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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

bool make_web_window(UiThread* t, int width, int height) {
    snprintf(t->class_name, sizeof t->class_name, "c%llX", (unsigned long long)(uintptr_t)t->host);
    WNDCLASSEXA wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = web_window_proc;
    wc.cbWndExtra = 8;
    wc.hCursor = (HCURSOR)LoadImageA(NULL, (LPCSTR)IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED);
    wc.lpszClassName = t->class_name;
    t->class_registered = RegisterClassExA(&wc) != 0;
    if (!t->class_registered)
        return false;
    HWND w = CreateWindowExA(t->embedded ? WS_EX_NOACTIVATE : 0, t->class_name, NULL,
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
wchar_t* userDataFolder(const wchar_t* temp_file) {
    size_t n = wcslen(temp_file);
    if (n < 4)
        return NULL;
    wchar_t* folder = (wchar_t*)malloc((n + 1) * sizeof(wchar_t));
    if (!folder)
        return NULL;
    memcpy(folder, temp_file, (n - 4) * sizeof(wchar_t));
    folder[n - 4] = 0;
    folder[n - 3] = 0;
    return folder;
}

bool start_web_view(UiThread* t, const WebViewStart* start) {
    HRESULT hr = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    t->com_initialised = SUCCEEDED(hr);
    if (!t->com_initialised)
        return false;
    t->userDataFolder = userDataFolder(start->temp_file);
    t->options = wv2_environment_options_create();
    t->handler = wv2_handler_create(t->host, start->navigation_target);
    if (!t->userDataFolder || !t->options || !t->handler)
        return false;
    if (FAILED(t->options->put_AdditionalBrowserArguments(L"--allow-file-access-from-files")))
        return false;
    return SUCCEEDED(
        wv2_runtime_create_environment(start->runtime, t->userDataFolder, t->options,
                                       wv2_handler_as_environment_completed(t->handler)));
}

// Start-up succeeded: put the web window into its parent and show it.
bool become_ready(UiThread* t) {
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
        wv2_handler_release(t->handler);
    if (t->options)
        t->options->Release();
    if (host->webWindow && IsWindow(host->webWindow))
        DestroyWindow(host->webWindow);
    if (t->class_registered)
        UnregisterClassA(t->class_name, NULL);
    if (t->com_initialised)
        CoUninitialize();
    if (failed)
        host->webWindow = NULL;
    ReleaseSemaphore(host->ackSemaphore, 1, NULL);
}

bool is_own(const WebViewHost* host, const MSG& msg, UINT message) {
    return msg.hwnd == host->webWindow && msg.message == message;
}

// Returns true for an orderly end, false for a failure.
bool run_loop(UiThread* t) {
    WebViewHost* host = t->host;
    MSG msg;
    for (;;) {
        BOOL r = GetMessageA(&msg, NULL, 0, 0);
        if (r == 0)
            return true;
        if (r < 0)
            return false;
        if (is_own(host, msg, kMsgStartupDone)) {
            if (msg.wParam == 0 || !host->controller || !become_ready(t))
                return false;
            continue;
        }
        if (is_own(host, msg, kMsgShutdown))
            return true;
        if (web_view_serve_request(host, msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (host->shutdown_pending)
            return true; // seen while forwarding an edit
    }
}

} // namespace

DWORD WINAPI web_view_ui_thread(void* arg) {
    const WebViewStart* start = (const WebViewStart*)arg;
    UiThread t;
    memset(&t, 0, sizeof t);
    t.host = start->host;
    t.embedded = start->embedded;
    t.parent = start->parent;
    t.host->controller = NULL;
    if (!make_web_window(&t, start->width, start->height) || !start_web_view(&t, start)) {
        end(&t, true);
        return 0;
    }
    end(&t, !run_loop(&t));
    return 0;
}

bool web_view_serve_request(WebViewHost* host, const MSG& msg) {
    if (msg.hwnd != host->webWindow)
        return false;
    if (msg.message == kMsgSetParameter) {
        web_view_send_value(host, (uint32_t)msg.wParam, web_view_bits_float((uint32_t)msg.lParam));
    } else if (msg.message == kMsgSendText) {
        web_view_send_text(host, (const char*)msg.lParam);
    } else {
        return false;
    }
    ReleaseSemaphore(host->ackSemaphore, 1, NULL);
    return true;
}
