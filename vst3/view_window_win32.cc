// The editor's window on Windows: the web view host's own child window,
// whose UI thread serves the page, and a 20 ms timer on it.
#include "vst3/view_window.h"

#include "engine/parameter_table.h"
#include "vst3/module_paths.h"
#include "vst3/view_edits.h"
#include "webui/news_page_handler.h"
#include "webui/web_view_host.h"

const char kViewPlatformType[] = "HWND";
static const UINT kTimerPeriodMs = 20;
static const UINT kResizeFlags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// Runs on the web window's thread every 20 ms. [web UI thread]
static void CALLBACK view_timer_tick(HWND, UINT, UINT_PTR id, DWORD) {
    Vst3View* view = (Vst3View*)id;
    webview::idle(view->web_host);
}

tresult view_window_open(Vst3View* view, void* parent) {
    WebViewCallbacks callbacks = {
        view, "vst3", moduleFolder, resourcesFolder, view_begin_edit, view_set_edit, view_end_edit};
    WebViewHost* host = webview::create(true, (HWND)parent, &callbacks, news_page_handler,
                                        kVst3ViewWidth, kVst3ViewHeight, kParameterCount);
    if (host == nullptr)
        return kResultFalse;
    view->web_host = host;
    view->timer_id = SetTimer(host->webWindow, (UINT_PTR)view, kTimerPeriodMs, view_timer_tick);
    if (view->timer_id == 0) {
        webview::destroy(host);
        view->web_host = nullptr;
        return kResultFalse;
    }
    return kResultOk;
}

void view_window_close(Vst3View* view) {
    KillTimer(view->web_host->webWindow, (UINT_PTR)view);
    webview::destroy(view->web_host);
    view->web_host = nullptr;
    view->timer_id = 0;
}

bool view_window_size(Vst3View* view, int32_t* width, int32_t* height) {
    RECT r;
    if (!GetWindowRect(view->web_host->webWindow, &r))
        return false;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return true;
}

// The web window fits the web view to its new size itself.
void view_window_resize(Vst3View* view, int32_t width, int32_t height) {
    SetWindowPos(view->web_host->webWindow, nullptr, 0, 0, width, height, kResizeFlags);
}
