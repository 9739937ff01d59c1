// The Linux editor view with the real WebKitGTK helper, from the module as
// the bundle ships it: the page shows the controller's values and a click in
// it reaches the host, no toolkit library enters the host's process, and
// attach/remove cycles leave nothing behind.
#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "tests/vst3/view_x11_fixture.h"
#include "tests/vst3/vst3_test_util.h"

extern char** environ;

namespace {

class RealHelperView : public X11ViewTest {
  protected:
    RealHelperView() : X11ViewTest(OKA_VST3_MODULE_PATH) {}

    // A click at a point of the page, through the X server's test extension.
    void click(int x, int y) {
        std::string window = std::to_string(editor_window());
        std::string xs = std::to_string(x), ys = std::to_string(y);
        char* argv[] = {(char*)"xdotool",      (char*)"mousemove", (char*)"--window",
                        (char*)window.c_str(), (char*)xs.c_str(),  (char*)ys.c_str(),
                        (char*)"click",        (char*)"1",         nullptr};
        pid_t pid = 0;
        ASSERT_EQ(0, posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv, environ));
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
};

bool maps_hold_toolkit() {
    std::string maps = read_file("/proc/self/maps");
    for (const char* name : {"libwebkit2gtk", "libjavascriptcoregtk", "libgtk-", "libgdk-"}) {
        if (maps.find(name) != std::string::npos)
            return true;
    }
    return false;
}

// The LFO switch is on in the controller: a click on it turns it off. A page
// that missed the values would show it off and turn it on.
TEST_F(RealHelperView, ThePageShowsTheValuesAndAClickReachesTheHost) {
    const ParamID lfo_on = kParameterDescriptions[kLfoOn].param_id;
    ASSERT_EQ(kResultOk, controller_->vtbl->setParamNormalized(controller_, lfo_on, 1.0));
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    EXPECT_FALSE(maps_hold_toolkit());
    // A click before the page has loaded and heard the values does nothing:
    // one more then.
    for (int tries = 0; tries < 10 && handler_.edits.empty(); ++tries) {
        click(77, 514);
        run_until([&] { return handler_.edits.size() >= 5; }, 3000);
    }
    // The page's gesture: "b" with the value it showed, "s" and "e" with the
    // new one.
    ASSERT_EQ("bpppe", edit_kinds());
    for (const HostEdit& e : handler_.edits)
        EXPECT_EQ(lfo_on, e.id);
    EXPECT_EQ(1.0, handler_.edits[1].value);
    EXPECT_EQ(0.0, handler_.edits[2].value);
    EXPECT_EQ(0.0, handler_.edits[3].value);
    EXPECT_FALSE(maps_hold_toolkit());
    EXPECT_EQ(kResultOk, v->vtbl->removed(v));
}

TEST_F(RealHelperView, TwentyAttachRemoveCyclesLeaveNothingBehind) {
    IPlugView* v = open_view();
    for (int cycle = 0; cycle < 20; ++cycle) {
        ASSERT_EQ(kResultOk, attach(v)) << "cycle " << cycle;
        EXPECT_EQ(children_.size() + 1, child_processes().size());
        int calls = loop_.handler_calls;
        EXPECT_TRUE(run_until([&] { return loop_.handler_calls > calls; }));
        ASSERT_EQ(kResultOk, v->vtbl->removed(v));
        ASSERT_TRUE(host_run_loop_empty(&loop_)) << "cycle " << cycle;
        ASSERT_EQ(descriptors_, open_descriptor_count()) << "cycle " << cycle;
        ASSERT_EQ(children_, child_processes()) << "cycle " << cycle;
        ASSERT_EQ(0, child_window_count(connection_, parent_)) << "cycle " << cycle;
    }
}

} // namespace
