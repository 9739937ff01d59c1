// A small X11 LV2 host for the Linux UI tests: a parent window on the test's
// private display, the UI module loaded the way hosts load it, the host's
// write and touch functions recorded. The display and the leak checks come
// from tests/support/x11.
#pragma once
#include <lv2/ui/ui.h>
#include <sys/types.h>
#include <xcb/xcb.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/x11/x11_test_env.h"

// One host call seen: 'w' port write, '+' touch grab, '-' touch release,
// 'r' the UI asked for a size (port = width, value = height).
struct HostCall {
    char kind;
    uint32_t port;
    float value;
    bool operator==(const HostCall& o) const {
        return kind == o.kind && port == o.port && value == o.value;
    }
};

class X11UiHost {
  public:
    X11UiHost();
    ~X11UiHost();
    bool ready() const { return descriptor_ != nullptr && parent_ != 0; }

    // instantiate with parent, touch and resize features; the bundle path
    // names the folder holding the helper and the page.
    LV2UI_Handle open(const std::string& bundle, LV2UI_Widget* widget);
    void close(LV2UI_Handle ui);
    void port_event(LV2UI_Handle ui, uint32_t port, float value);
    // Calls the idle interface every 10 ms until `done` or the time-out;
    // false on time-out or when idle asks to close.
    bool idle_until(LV2UI_Handle ui, const std::function<bool()>& done, int timeout_ms = 10000);
    void resize_widget(LV2UI_Widget widget, int width, int height);

    std::vector<HostCall> calls;
    xcb_connection_t* connection() const { return connection_; }
    uint32_t parent() const { return parent_; }

  private:
    void* module_ = nullptr;
    const LV2UI_Descriptor* descriptor_ = nullptr;
    const LV2UI_Idle_Interface* idle_ = nullptr;
    xcb_connection_t* connection_ = nullptr;
    uint32_t parent_ = 0;
};
