// The Linux editor view with a stand-in web helper that records what the
// editor sends and sends what a test writes: a copy of the module in a
// bundle-shaped folder whose module folder holds the stand-in.
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "tests/support/fake_web_helper/fake_helper_session.h"
#include "tests/vst3/view_x11_fixture.h"
#include "tests/vst3/vst3_test_util.h"

namespace {

class StandInView : public X11ViewTest {
  protected:
    StandInView() : X11ViewTest(OKA_VST3_STAND_IN_MODULE_PATH) {}
    void SetUp() override {
        ASSERT_TRUE(session_.begin());
        X11ViewTest::SetUp();
    }
    void TearDown() override {
        X11ViewTest::TearDown();
        session_.end();
    }
    bool logged(const std::string& line) {
        return run_until([&] { return session_.logged(line); });
    }
    // The page posts `text`; true once the host has seen `edits` more edits.
    bool page_says(const std::string& text, size_t edits) {
        size_t before = handler_.edits.size();
        return session_.post(text) &&
               run_until([&] { return handler_.edits.size() >= before + edits; });
    }
    static std::string value_line(uint32_t index, double value) {
        char line[32];
        snprintf(line, sizeof line, "s %08x %08x", index, bits_of((float)value));
        return line;
    }
    static uint32_t bits_of(float value) {
        uint32_t bits;
        memcpy(&bits, &value, sizeof bits);
        return bits;
    }

    FakeHelperSession session_;
};

TEST_F(StandInView, AnswersItsPlatformTypeAndSizesAndFollowsTheHostsResizes) {
    IPlugView* v = open_view();
    ASSERT_NE(nullptr, v);
    EXPECT_EQ(kResultOk, v->vtbl->isPlatformTypeSupported(v, "X11EmbedWindowID"));
    for (const char* other : {"HWND", "NSView", "X11EmbedWindowId", ""})
        EXPECT_EQ(kResultFalse, v->vtbl->isPlatformTypeSupported(v, other)) << other;
    ViewRect rect = {5, 6, 7, 8};
    EXPECT_EQ(kResultOk, v->vtbl->getSize(v, &rect));
    EXPECT_EQ(700, rect.right);
    EXPECT_EQ(677, rect.bottom);
    ViewRect wanted = {10, 20, 910, 720};
    EXPECT_EQ(kResultFalse, v->vtbl->onSize(v, &wanted)) << "not attached";
    EXPECT_EQ(kInvalidArgument, v->vtbl->attached(v, (void*)(uintptr_t)parent_, "HWND"));

    ASSERT_EQ(kResultOk, attach(v));
    EXPECT_EQ(1, child_window_count(connection_, parent_));
    EXPECT_TRUE(logged("start inherited nothing else"));
    EXPECT_EQ(1u, loop_.watches.size());
    EXPECT_EQ(1u, loop_.timers.size());
    EXPECT_EQ(20u, loop_.timers[0].period_ms);
    EXPECT_EQ(kInvalidArgument, attach(v)) << "already attached";
    EXPECT_EQ(kResultOk, v->vtbl->getSize(v, &rect));
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(700, rect.right);
    EXPECT_EQ(677, rect.bottom);

    EXPECT_EQ(kResultOk, v->vtbl->onSize(v, &wanted));
    EXPECT_TRUE(logged("control size 900 700"));
    EXPECT_EQ(kResultOk, v->vtbl->getSize(v, &rect));
    EXPECT_EQ(900, rect.right);
    EXPECT_EQ(700, rect.bottom);

    EXPECT_EQ(kResultOk, v->vtbl->removed(v));
    EXPECT_TRUE(host_run_loop_empty(&loop_));
    EXPECT_EQ(0, child_window_count(connection_, parent_));
    EXPECT_EQ(children_, child_processes());
    EXPECT_EQ(kResultOk, v->vtbl->getSize(v, &rect));
    EXPECT_EQ(700, rect.right);
}

TEST_F(StandInView, ValuesReachThePageAndPageGesturesBecomeSnappedHostEdits) {
    const ParamID rate = kParameterDescriptions[kLfoSyncRate].param_id;
    ASSERT_EQ(kResultOk, controller_->vtbl->setParamNormalized(controller_, rate, 0.5));
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    ASSERT_TRUE(logged("page " + value_line(35, 0.0)));
    std::vector<std::string> sent = session_.page_lines();
    ASSERT_EQ(kParameterCount, sent.size());
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        double expected = i < kInputParameterCount ? parameter_record(i)->default_value
                                                   : (i == kModPosition ? 50.0 : 0.0);
        EXPECT_EQ(value_line(i, i == kLfoSyncRate ? 13.0 : expected), sent[i]);
    }

    // A drag on the sync rate reporting 7.6 stores 8, reported as 7/23.
    ASSERT_TRUE(page_says(value_line(kLfoSyncRate, 7.6).replace(0, 1, "b"), 2));
    ASSERT_TRUE(page_says(value_line(kLfoSyncRate, 12.2).replace(0, 1, "e"), 2));
    EXPECT_EQ("bppe", edit_kinds());
    for (const HostEdit& e : handler_.edits)
        EXPECT_EQ(rate, e.id);
    EXPECT_DOUBLE_EQ(7.0 / 23.0, handler_.edits[1].value);
    EXPECT_DOUBLE_EQ(11.0 / 23.0, handler_.edits[2].value);

    // A host value reaches the page; the page's edits are not echoed back.
    const ParamID out = kParameterDescriptions[kLfoOut].param_id;
    ASSERT_EQ(kResultOk, controller_->vtbl->setParamNormalized(controller_, out, 0.75));
    ASSERT_TRUE(logged("page " + value_line(kLfoOut, 0.5)));
    EXPECT_EQ(kParameterCount + 1, session_.page_lines().size());
}

TEST_F(StandInView, NewsRequestsAreAnsweredFromTheUsersDataFolder) {
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    ASSERT_TRUE(session_.post("m quorlV1 syncNewsForce vst3 news"));
    ASSERT_TRUE(session_.post("m quorlV1 getNews "));
    EXPECT_TRUE(logged("page m quorlV1 getNews vst3 news"));
}

// Nothing would serve an editor without a run loop: it is not started. The
// host context given to the controller may offer the run loop instead of the
// frame.
TEST_F(StandInView, WithoutARunLoopAttachFailsAndStartsNothing) {
    IPlugView* bare = open_view(false);
    EXPECT_EQ(kResultFalse, attach(bare));
    HostRunLoop frame_only;
    host_run_loop_init(&frame_only, false);
    EXPECT_EQ(kResultOk, bare->vtbl->setFrame(bare, (FUnknown*)&frame_only.frame));
    EXPECT_EQ(kResultFalse, attach(bare));
    EXPECT_EQ("", read_file(session_.log)) << "no helper was started";
    EXPECT_EQ(0, child_window_count(connection_, parent_));
    EXPECT_EQ(1, frame_only.ref_count);
    bare->vtbl->setFrame(bare, nullptr);

    controller_->vtbl->terminate(controller_);
    EXPECT_EQ(0u, vst3host_release(controller_));
    drop_view(bare);
    controller_ = new_controller((FUnknown*)&loop_.frame);
    IPlugView* v = open_view(false);
    ASSERT_EQ(kResultOk, attach(v));
    EXPECT_EQ(1u, loop_.timers.size());
    EXPECT_EQ(kResultOk, v->vtbl->removed(v));
}

TEST_F(StandInView, AHelperThatCannotStartFailsAttachAndLeavesNothing) {
    setenv("OKA_FAKE_HELPER_MODE", "exit", 1);
    IPlugView* v = open_view();
    EXPECT_EQ(kResultFalse, attach(v));
    EXPECT_TRUE(host_run_loop_empty(&loop_));
    EXPECT_EQ(0, child_window_count(connection_, parent_));
    ViewRect rect = {};
    EXPECT_EQ(kResultFalse, v->vtbl->onSize(v, &rect));
}

// The host goes on; the editor stays, empty, and the loop stops watching the
// dead helper's descriptor (whose number another file may get) instead of
// being woken for it again and again.
TEST_F(StandInView, AKilledHelperLeavesTheHostRunningAndItsDescriptorUnwatched) {
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    pid_t helper = helper_pid();
    ASSERT_GT(helper, 0);
    kill(helper, SIGKILL);
    ASSERT_TRUE(run_until([&] { return child_processes() == children_; }));
    ASSERT_TRUE(run_until([&] { return loop_.watches.empty(); }));
    EXPECT_EQ(1u, loop_.timers.size());
    int calls = loop_.handler_calls;
    run_until([] { return false; }, 300);
    EXPECT_LT(loop_.handler_calls - calls, 40) << "only the 20 ms timer";
    const ParamID mix = kParameterDescriptions[kMix].param_id;
    EXPECT_EQ(kResultOk, controller_->vtbl->setParamNormalized(controller_, mix, 0.5));
    EXPECT_EQ(1, child_window_count(connection_, parent_));
    EXPECT_EQ(kResultOk, v->vtbl->removed(v));
}

// A host that closes and releases the editor from inside its edit handling
// (the first performEdit): the gesture ends, the rest of the edit is
// dropped, and nothing is left.
TEST_F(StandInView, AHostMayCloseTheEditorFromInsideAnEdit) {
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    handler_.on_edit = [&](const HostEdit& e) {
        if (e.kind != 'p' || v == nullptr)
            return;
        IPlugView* closing = v;
        v = nullptr;
        EXPECT_EQ(kResultOk, closing->vtbl->removed(closing));
        drop_view(closing);
    };
    ASSERT_TRUE(page_says(value_line(kMix, 30.0).replace(0, 1, "b"), 3));
    handler_.on_edit = nullptr;
    EXPECT_EQ("bpe", edit_kinds());
    run_until([] { return false; }, 100);
    EXPECT_EQ(3u, handler_.edits.size());
}

TEST_F(StandInView, ReleasingAnAttachedViewEndsItsGesturesAndLeavesNothing) {
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    ASSERT_TRUE(page_says(value_line(kPosition, 70.0).replace(0, 1, "b"), 2));
    drop_view(v);
    EXPECT_EQ("bpe", edit_kinds());
    EXPECT_TRUE(host_run_loop_empty(&loop_));
    EXPECT_EQ(children_, child_processes());
}

} // namespace
