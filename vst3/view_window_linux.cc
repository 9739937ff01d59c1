// The editor's window on Linux: the web view host's X11 window inside the
// host's ("X11EmbedWindowID"), holding the web helper's window, and served
// from the host's run loop: the view has no thread of its own.
#include <stdint.h>

#include "engine/parameter_table.h"
#include "vst3/module_paths.h"
#include "vst3/view_edits.h"
#include "vst3/view_run_loop.h"
#include "vst3/view_window.h"
#include "vst3/vst3_controller.h"
#include "webui/news_page_handler.h"
#include "webui/web_view.h"

const char kViewPlatformType[] = "X11EmbedWindowID";

// The helper ships in the module folder, the page in Resources. Without a
// run loop nothing would serve the editor, so none is started.
tresult view_window_open(Vst3View* view, void* parent) {
    IRunLoop* loop = view_run_loop_find(view->frame, view->controller->host_context);
    if (loop == nullptr)
        return kResultFalse;
    WebViewCallbacks callbacks = {
        view, "vst3", moduleFolder, resourcesFolder, view_begin_edit, view_set_edit, view_end_edit};
    WebViewHost* host =
        webview::create(true, (WebViewParent)(uintptr_t)parent, &callbacks, news_page_handler,
                        kVst3ViewWidth, kVst3ViewHeight, kParameterCount);
    if (host == nullptr) {
        loop->vtbl->release((FUnknown*)loop);
        return kResultFalse;
    }
    view->run_loop = view_run_loop_start(loop, host);
    if (view->run_loop == nullptr) {
        webview::destroy(host);
        return kResultFalse;
    }
    view->web_host = host;
    return kResultOk;
}

// The run loop lets go first, so no handler serves a destroyed editor.
void view_window_close(Vst3View* view) {
    view_run_loop_stop(view->run_loop);
    view->run_loop = nullptr;
    webview::destroy(view->web_host);
    view->web_host = nullptr;
}

bool view_window_size(Vst3View* view, int32_t* width, int32_t* height) {
    int w = 0, h = 0;
    if (!webview::window_size(view->web_host, &w, &h))
        return false;
    *width = w;
    *height = h;
    return true;
}

// The helper's window follows the editor window's new size.
void view_window_resize(Vst3View* view, int32_t width, int32_t height) {
    webview::resize(view->web_host, width, height);
}
