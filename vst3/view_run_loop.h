// The Linux editor's place in its host's run loop. A Linux host gives a view
// no thread of its own to serve the editor on: it offers IRunLoop, which
// calls registered handlers on its UI thread when a descriptor is ready and
// at a timer's interval. A ViewRunLoop is one small object offering both
// handler interfaces: the web helper's socket is watched (the page's messages
// reach the view as they arrive), and a 20 ms timer serves the rest (the
// window's size changes, output waiting for the socket, a helper that died).
//
// It has a reference count of its own, because the host holds the handlers
// as long as it likes: once stopped, the object outlives the editor as long
// as the host keeps it, and its handlers do nothing.
#pragma once

#include "vst3/vst3_interfaces.h"

struct WebViewHost;
struct ViewRunLoop;

// The run loop a host offers, counted (the caller releases it): the frame's
// first, else the host context's. Either may be null. [host UI thread]
IRunLoop* view_run_loop_find(FUnknown* frame, FUnknown* host_context);

// Registers the handlers for `host` with `loop`, taking over the caller's
// reference to the loop. Null (nothing left registered, the loop released)
// when the host refuses a registration or memory runs out. [host UI thread]
ViewRunLoop* view_run_loop_start(IRunLoop* loop, WebViewHost* host);

// Unregisters both handlers, releases the loop and drops the caller's
// reference; the handlers do nothing from now on. Callable from inside one
// of them. [host UI thread]
void view_run_loop_stop(ViewRunLoop* link);
