// The platform half of the editor view: the web editor's window inside the
// host's, and what keeps the editor served while it is open. vst3_view.cc
// does the rest of IPlugView the same way on every platform.
//   Windows (view_window_win32.cc): the web view host's child HWND, served by
//     its own UI thread, with a 20 ms window timer.
//   Linux (view_window_linux.cc): an X11 child window showing the web helper,
//     served from the host's run loop (the helper's socket and a 20 ms timer).
#pragma once
#include <stdint.h>

#include "vst3/vst3_view.h"

// The one platform type the view accepts: "HWND" or "X11EmbedWindowID".
extern const char kViewPlatformType[];

// Starts the web editor in `parent` and sets view->web_host. kResultOk, or
// kResultFalse with nothing left running or registered. [host UI thread]
tresult view_window_open(Vst3View* view, void* parent);

// Stops what view_window_open started and destroys the editor; web_host is
// null afterwards. May run inside an edit callback. [host UI thread]
void view_window_close(Vst3View* view);

// The editor window's size; false when it cannot be read. [host UI thread]
bool view_window_size(Vst3View* view, int32_t* width, int32_t* height);

// Sets the editor window's size; the web view follows it. [host UI thread]
void view_window_resize(Vst3View* view, int32_t width, int32_t height);
