// Our declarations of a Linux host's run loop: IRunLoop, which the host
// offers on its plug frame (or its host context), and the two handler
// interfaces a plug-in gives it. The host calls a handler on its UI thread:
// IEventHandler when a registered descriptor is ready, ITimerHandler every
// registered interval. Included by vst3_interfaces.h.
#pragma once

typedef struct IEventHandler {
    const struct IEventHandlerVtbl* vtbl;
} IEventHandler;
typedef struct IEventHandlerVtbl {
    VST3_FUNKNOWN_SLOTS(IEventHandler);
    void (*onFDIsSet)(IEventHandler* self, int fd);
} IEventHandlerVtbl;

typedef struct ITimerHandler {
    const struct ITimerHandlerVtbl* vtbl;
} ITimerHandler;
typedef struct ITimerHandlerVtbl {
    VST3_FUNKNOWN_SLOTS(ITimerHandler);
    void (*onTimer)(ITimerHandler* self);
} ITimerHandlerVtbl;

typedef struct IRunLoop {
    const struct IRunLoopVtbl* vtbl;
} IRunLoop;
typedef struct IRunLoopVtbl {
    VST3_FUNKNOWN_SLOTS(IRunLoop);
    tresult (*registerEventHandler)(IRunLoop* self, IEventHandler* handler, int fd);
    tresult (*unregisterEventHandler)(IRunLoop* self, IEventHandler* handler);
    tresult (*registerTimer)(IRunLoop* self, ITimerHandler* handler, uint64_t milliseconds);
    tresult (*unregisterTimer)(IRunLoop* self, ITimerHandler* handler);
} IRunLoopVtbl;

static_assert(sizeof(IEventHandlerVtbl) == 4 * sizeof(void*), "IEventHandler slot count");
static_assert(sizeof(ITimerHandlerVtbl) == 4 * sizeof(void*), "ITimerHandler slot count");
static_assert(sizeof(IRunLoopVtbl) == 7 * sizeof(void*), "IRunLoop slot count");
