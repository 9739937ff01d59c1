#include "vst3/view_run_loop.h"

#include <stddef.h>
#include <stdlib.h>

#include "platform/ref_count.h"
#include "vst3/vst3_unknown.h"
#include "webui/web_view.h"

static const uint64_t kTimerPeriodMs = 20;

struct ViewRunLoop {
    const IEventHandlerVtbl* event_vtbl; // identity
    const ITimerHandlerVtbl* timer_vtbl;
    RefCount ref_count;
    IRunLoop* loop;        // counted; null once stopped
    WebViewHost* host;     // the editor served; null once stopped
    int watched_fd;        // the descriptor registered, or -1
    bool timer_registered; // the timer is registered
};

// ---- FUnknown, shared by the two handler interfaces --------------------------

// The same answers from both interfaces. [host UI thread]
static tresult link_query_interface(ViewRunLoop* link, const uint8_t* iid, void** obj) {
    const Vst3Facet facets[] = {
        {kIidFUnknown, &link->event_vtbl},
        {kIidIEventHandler, &link->event_vtbl},
        {kIidITimerHandler, &link->timer_vtbl},
    };
    return vst3_query_facets(facets, sizeof facets / sizeof facets[0], &link->ref_count, iid, obj);
}

// [host UI thread]
static uint32_t link_add_ref(ViewRunLoop* link) {
    return ref_count_add(&link->ref_count);
}

// [host UI thread]
static uint32_t link_release(ViewRunLoop* link) {
    uint32_t count = ref_count_release(&link->ref_count);
    if (count == 0)
        free(link);
    return count;
}

#define FACET_SLOTS(member)                                                                        \
    VST3_FACET_SLOTS(ViewRunLoop, member, link_query_interface, link_add_ref, link_release)

FACET_SLOTS(event_vtbl)
FACET_SLOTS(timer_vtbl)

// ---- serving the editor --------------------------------------------------------

// [host UI thread]
static void stop_watching(ViewRunLoop* link) {
    link->loop->vtbl->unregisterEventHandler(link->loop, (IEventHandler*)&link->event_vtbl);
    link->watched_fd = -1;
}

// Serves the editor. A helper that is gone has closed its descriptor, whose
// number the process may hand to another file: the loop stops watching it.
// The view may stop the link from an edit callback inside idle; the link
// holds itself meanwhile. [host UI thread]
static void serve(ViewRunLoop* link) {
    if (link->host == nullptr)
        return;
    ref_count_add(&link->ref_count);
    webview::idle(link->host);
    if (link->host != nullptr && link->watched_fd >= 0 &&
        webview::helper_descriptor(link->host) != link->watched_fd)
        stop_watching(link);
    link_release(link);
}

// [host UI thread]
static void link_on_fd_is_set(IEventHandler* self, int) {
    serve(VST3_OBJECT_FROM(ViewRunLoop, self, event_vtbl));
}

// [host UI thread]
static void link_on_timer(ITimerHandler* self) {
    serve(VST3_OBJECT_FROM(ViewRunLoop, self, timer_vtbl));
}

static const IEventHandlerVtbl kEventVtbl = {event_vtbl_query_interface, event_vtbl_add_ref,
                                             event_vtbl_release, link_on_fd_is_set};
static const ITimerHandlerVtbl kTimerVtbl = {timer_vtbl_query_interface, timer_vtbl_add_ref,
                                             timer_vtbl_release, link_on_timer};

// ---- start and stop --------------------------------------------------------------

IRunLoop* view_run_loop_find(FUnknown* frame, FUnknown* host_context) {
    FUnknown* offers[2] = {frame, host_context};
    for (FUnknown* offer : offers) {
        void* loop = nullptr;
        if (offer != nullptr &&
            offer->vtbl->queryInterface(offer, kIidIRunLoop, &loop) == kResultOk && loop != nullptr)
            return (IRunLoop*)loop;
    }
    return nullptr;
}

ViewRunLoop* view_run_loop_start(IRunLoop* loop, WebViewHost* host) {
    ViewRunLoop* link = (ViewRunLoop*)calloc(1, sizeof(ViewRunLoop));
    if (link == nullptr) {
        loop->vtbl->release((FUnknown*)loop);
        return nullptr;
    }
    link->event_vtbl = &kEventVtbl;
    link->timer_vtbl = &kTimerVtbl;
    ref_count_init(&link->ref_count, 1);
    link->loop = loop;
    link->host = host;
    link->watched_fd = -1;
    int fd = webview::helper_descriptor(host);
    bool ok = fd < 0 || loop->vtbl->registerEventHandler(loop, (IEventHandler*)&link->event_vtbl,
                                                         fd) == kResultOk;
    if (ok && fd >= 0)
        link->watched_fd = fd;
    link->timer_registered =
        ok && loop->vtbl->registerTimer(loop, (ITimerHandler*)&link->timer_vtbl, kTimerPeriodMs) ==
                  kResultOk;
    if (!link->timer_registered) {
        view_run_loop_stop(link);
        return nullptr;
    }
    return link;
}

void view_run_loop_stop(ViewRunLoop* link) {
    if (link == nullptr)
        return;
    if (link->watched_fd >= 0)
        stop_watching(link);
    if (link->timer_registered)
        link->loop->vtbl->unregisterTimer(link->loop, (ITimerHandler*)&link->timer_vtbl);
    link->timer_registered = false;
    link->host = nullptr;
    link->loop->vtbl->release((FUnknown*)link->loop);
    link->loop = nullptr;
    link_release(link);
}
