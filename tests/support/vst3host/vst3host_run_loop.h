// A Linux host's plug frame with its run loop, as our test host hands it to
// a view through setFrame: one object offering IPlugFrame and IRunLoop. The
// loop runs only inside host_run_loop_until, on the test's thread (the
// host's UI thread): poll() over the registered descriptors, with the next
// timer due as its time-out. While registered, a handler is held counted,
// as a host holding it in a smart pointer would; a handler may unregister
// itself or another from inside its call.
#pragma once
#include <stdint.h>

#include <functional>
#include <vector>

#include "vst3/vst3_interfaces.h"

struct HostWatch {
    IEventHandler* handler;
    int fd;
};

struct HostTimer {
    ITimerHandler* handler;
    uint64_t period_ms;
    int64_t due_ms; // on the monotonic clock
};

struct HostRunLoop;

// One interface pointer of the object: its table, then the way back.
struct HostInterface {
    const void* vtbl;
    HostRunLoop* owner;
};

struct HostRunLoop {
    HostInterface frame;    // IPlugFrame (identity)
    HostInterface run_loop; // IRunLoop, offered when `offers_run_loop`
    int32_t ref_count;      // counted for checks; the object lives on the test's stack
    bool offers_run_loop;
    std::vector<HostWatch> watches;
    std::vector<HostTimer> timers;
    std::vector<ViewRect> resize_requests;
    int handler_calls; // onFDIsSet and onTimer calls made
};

// A frame offering its run loop or (offers_run_loop false) only IPlugFrame.
void host_run_loop_init(HostRunLoop* loop, bool offers_run_loop);

// Runs the loop until `done` holds (checked before each wait) or
// `timeout_ms` has passed; false on time-out.
bool host_run_loop_until(HostRunLoop* loop, const std::function<bool()>& done, int timeout_ms);

// True while nothing is registered.
bool host_run_loop_empty(const HostRunLoop* loop);
