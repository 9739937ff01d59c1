// Vst3View: the editor view (IPlugView) the controller creates for "editor".
// It runs the web editor inside the window the host attaches it to, fills it
// with the controller's values and turns the page's gestures into the host's
// begin/perform/end edits. Its one platform type is "HWND" on Windows,
// "X11EmbedWindowID" on Linux (view_window.h has what differs).
//
// Lifetime: the host owns the view's references. The controller keeps the
// view in its list without a reference; the view's last release clears its
// slot. When the controller goes first it only detaches the surviving views
// (vst3_view_forget_controller): they stay valid for the host, open no new
// editor and drop edits, since there are no values left to edit.
#pragma once
#include <stdint.h>

#include "platform/ref_count.h"
#include "vst3/vst3_interfaces.h"
#include "webui/edit_gestures.h"

struct Vst3Controller;
struct WebViewHost;

enum : int32_t { kVst3ViewWidth = 700, kVst3ViewHeight = 677 };

typedef struct Vst3View {
    const IPlugViewVtbl* vtbl; // identity
    RefCount ref_count;
    FUnknown* frame;            // from setFrame; not counted (Linux: asked for the run loop)
    WebViewHost* web_host;      // the running editor; null while detached
    Vst3Controller* controller; // null once the controller is gone
    uintptr_t timer_id;
    EditGestures gestures; // begun with the host, not yet ended
    int32_t edit_depth;    // edit callbacks running (the host may call us back)
    bool free_pending;     // released inside one of them: freed when it returns
#ifndef _WIN32
    struct ViewRunLoop* run_loop; // the host's run loop serving the editor; null while detached
#endif
} Vst3View;

// A detached view of `controller` with count 1, or null when memory runs
// out. The caller puts it in the controller's list. [host UI thread]
Vst3View* vst3_view_new(Vst3Controller* controller);

// Hands a value to the view's editor, if one is open; returns after the
// editor's thread took it. [host UI thread]
void vst3_view_send_value(Vst3View* view, uint32_t index, float value);

// The controller is going away: the view must not reach it again.
// [host UI thread]
void vst3_view_forget_controller(Vst3View* view);
