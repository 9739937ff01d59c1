// The Linux editor view through our VST3 test host, under a private Xvfb
// display: the module loaded with dlopen, a controller with a recording
// component handler, a parent window, and a plug frame whose run loop the
// test runs. Every test ends by checking that nothing is left behind: no
// process, descriptor, window or run-loop registration.
#pragma once
#include <gtest/gtest.h>
#include <stdint.h>
#include <sys/types.h>
#include <xcb/xcb.h>

#include <functional>
#include <vector>

#include "tests/support/vst3host/vst3host.h"
#include "tests/support/vst3host/vst3host_run_loop.h"
#include "tests/support/x11/x11_test_env.h"

class X11ViewTest : public ::testing::Test {
  protected:
    explicit X11ViewTest(const char* module_path) : module_path_(module_path) {}
    void SetUp() override;
    void TearDown() override;

    // A controller from the module, initialized with `context`.
    IEditController* new_controller(FUnknown* context);
    // A view of the controller, given the frame unless `with_frame` is
    // false; the fixture releases it at the end.
    IPlugView* open_view(bool with_frame = true);
    void drop_view(IPlugView* view);
    tresult attach(IPlugView* view);
    // Runs the host's loop until `done` or the time-out; false on time-out.
    bool run_until(const std::function<bool()>& done, int timeout_ms = 10000);
    // The editor's window inside the parent, or 0.
    uint32_t editor_window();
    // The one child process beyond those at the start (the helper), or 0.
    pid_t helper_pid();
    // The kinds of the host edits so far, in order ("bppe").
    std::string edit_kinds() const;

    const char* module_path_;
    Vst3HostModule module_{};
    HostContext context_{};
    HostRunLoop loop_{};
    RecordingHandler handler_{};
    IEditController* controller_ = nullptr;
    std::vector<IPlugView*> views_;
    xcb_connection_t* connection_ = nullptr;
    uint32_t parent_ = 0;
    int descriptors_ = 0;
    std::vector<pid_t> children_;
};
