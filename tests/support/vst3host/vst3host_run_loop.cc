#include "tests/support/vst3host/vst3host_run_loop.h"

#include <poll.h>
#include <time.h>

#include <algorithm>

namespace {

int64_t now_ms() {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (int64_t)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

HostRunLoop* owner_of(void* self) {
    return ((HostInterface*)self)->owner;
}

// ---- FUnknown, shared by both interfaces ----------------------------------------

tresult loop_qi(FUnknown* self, const uint8_t* iid, void** obj) {
    HostRunLoop* loop = owner_of(self);
    void* found = nullptr;
    if (vst3_iid_equal(iid, kIidFUnknown) || vst3_iid_equal(iid, kIidIPlugFrame))
        found = &loop->frame;
    else if (vst3_iid_equal(iid, kIidIRunLoop) && loop->offers_run_loop)
        found = &loop->run_loop;
    *obj = found;
    if (found == nullptr)
        return kNoInterface;
    ++loop->ref_count;
    return kResultOk;
}
uint32_t loop_add_ref(FUnknown* self) {
    return (uint32_t)++owner_of(self)->ref_count;
}
uint32_t loop_release(FUnknown* self) {
    return (uint32_t)--owner_of(self)->ref_count;
}

tresult frame_resize_view(IPlugFrame* self, IPlugView*, ViewRect* size) {
    if (size == nullptr)
        return kInvalidArgument;
    owner_of(self)->resize_requests.push_back(*size);
    return kResultOk;
}

// ---- IRunLoop ------------------------------------------------------------------

tresult register_event(IRunLoop* self, IEventHandler* handler, int fd) {
    if (handler == nullptr || fd < 0)
        return kInvalidArgument;
    handler->vtbl->addRef((FUnknown*)handler);
    owner_of(self)->watches.push_back({handler, fd});
    return kResultOk;
}

// Drops every registration of `handler` and the references held for it.
template <typename Entry, typename Handler>
tresult unregister_from(std::vector<Entry>& entries, Handler* handler) {
    auto gone = std::remove_if(entries.begin(), entries.end(),
                               [&](const Entry& e) { return e.handler == handler; });
    if (gone == entries.end())
        return kInvalidArgument;
    size_t released = (size_t)(entries.end() - gone);
    entries.erase(gone, entries.end());
    for (size_t i = 0; i < released; ++i)
        handler->vtbl->release((FUnknown*)handler);
    return kResultOk;
}

tresult unregister_event(IRunLoop* self, IEventHandler* handler) {
    return unregister_from(owner_of(self)->watches, handler);
}

tresult register_timer(IRunLoop* self, ITimerHandler* handler, uint64_t ms) {
    if (handler == nullptr || ms == 0)
        return kInvalidArgument;
    handler->vtbl->addRef((FUnknown*)handler);
    owner_of(self)->timers.push_back({handler, ms, now_ms() + (int64_t)ms});
    return kResultOk;
}

tresult unregister_timer(IRunLoop* self, ITimerHandler* handler) {
    return unregister_from(owner_of(self)->timers, handler);
}

const IPlugFrameVtbl kFrameVtbl = {loop_qi, loop_add_ref, loop_release, frame_resize_view};
const IRunLoopVtbl kRunLoopVtbl = {loop_qi,         loop_add_ref,     loop_release,
                                   register_event,  unregister_event, register_timer,
                                   unregister_timer};

bool watching(const HostRunLoop* loop, const HostWatch& watch) {
    for (const HostWatch& w : loop->watches) {
        if (w.handler == watch.handler && w.fd == watch.fd)
            return true;
    }
    return false;
}

HostTimer* timer_of(HostRunLoop* loop, ITimerHandler* handler) {
    for (HostTimer& t : loop->timers) {
        if (t.handler == handler)
            return &t;
    }
    return nullptr;
}

// One wait and what became due: ready descriptors first, then timers. Each
// handler is called only while still registered, since an earlier call may
// have unregistered it.
void run_once(HostRunLoop* loop, int64_t deadline) {
    int64_t now = now_ms();
    int64_t wait = deadline - now;
    for (const HostTimer& t : loop->timers)
        wait = std::min(wait, std::max<int64_t>(0, t.due_ms - now));
    std::vector<HostWatch> polled = loop->watches;
    std::vector<struct pollfd> fds;
    for (const HostWatch& w : polled)
        fds.push_back({w.fd, POLLIN, 0});
    if (poll(fds.data(), fds.size(), (int)std::max<int64_t>(0, wait)) > 0) {
        for (size_t i = 0; i < polled.size(); ++i) {
            if (fds[i].revents != 0 && watching(loop, polled[i])) {
                ++loop->handler_calls;
                polled[i].handler->vtbl->onFDIsSet(polled[i].handler, polled[i].fd);
            }
        }
    }
    std::vector<ITimerHandler*> due;
    now = now_ms();
    for (HostTimer& t : loop->timers) {
        if (t.due_ms <= now) {
            due.push_back(t.handler);
            t.due_ms = now + (int64_t)t.period_ms;
        }
    }
    for (ITimerHandler* handler : due) {
        if (timer_of(loop, handler) != nullptr) {
            ++loop->handler_calls;
            handler->vtbl->onTimer(handler);
        }
    }
}

} // namespace

void host_run_loop_init(HostRunLoop* loop, bool offers_run_loop) {
    loop->frame = {&kFrameVtbl, loop};
    loop->run_loop = {&kRunLoopVtbl, loop};
    loop->ref_count = 1;
    loop->offers_run_loop = offers_run_loop;
    loop->watches.clear();
    loop->timers.clear();
    loop->resize_requests.clear();
    loop->handler_calls = 0;
}

bool host_run_loop_until(HostRunLoop* loop, const std::function<bool()>& done, int timeout_ms) {
    int64_t deadline = now_ms() + timeout_ms;
    for (;;) {
        if (done())
            return true;
        if (now_ms() >= deadline)
            return false;
        run_once(loop, deadline);
    }
}

bool host_run_loop_empty(const HostRunLoop* loop) {
    return loop->watches.empty() && loop->timers.empty();
}
