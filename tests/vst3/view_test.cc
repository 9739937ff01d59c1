// The editor view under Wine with the stand-in WebView2: the module is a
// copy of the bundle's binary in a folder that also holds the stand-in
// loader, with the editor page in the Resources folder beside it, so the
// view finds both exactly as in an installed bundle.
#include <gtest/gtest.h>

#include <math.h>

#include "tests/vst3/vst3_test_util.h"
#include "tests/webui/web_view_fixture.h"
#include "vst3/vst3_controller.h"
#include "vst3/vst3_view.h"

namespace {

// Messages of the form "s %08x %08x" among the page's posts, as (index, bits).
std::vector<std::pair<uint32_t, uint32_t>> value_posts(const std::vector<std::wstring>& posts) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (const std::wstring& p : posts) {
        unsigned index = 0, bits = 0;
        if (swscanf(p.c_str(), L"s %x %x", &index, &bits) == 2)
            out.push_back({index, bits});
    }
    return out;
}

class ViewTest : public Vst3Fixture {
  protected:
    void SetUp() override {
        Vst3Fixture::SetUp();
        if (HasFatalFailure())
            return;
        controller_ = new_controller(module_);
        ASSERT_NE(nullptr, controller_);
        recording_handler_init(&handler_);
        controller_->vtbl->setComponentHandler(controller_, &handler_.iface);
        parent_ = make_parent_window();
        ASSERT_NE(nullptr, parent_);
    }
    void TearDown() override {
        for (IPlugView* v : views_)
            vst3host_release(v);
        if (controller_ != nullptr) {
            EXPECT_EQ(0u, vst3host_release(controller_));
        }
        for (HWND w : windows_)
            DestroyWindow(w);
        DestroyWindow(parent_);
        Vst3Fixture::TearDown();
    }

    IEditController* new_controller(Vst3HostModule& module) {
        void* obj = nullptr;
        if (module.factory->vtbl->createInstance(module.factory, kTestControllerCid,
                                                 kIidIEditController, &obj) != kResultOk)
            return nullptr;
        auto* c = (IEditController*)obj;
        EXPECT_EQ(kResultOk, c->vtbl->initialize(c, &context_.iface));
        return c;
    }

    // A view the fixture releases at the end.
    IPlugView* open_view() {
        IPlugView* v = controller_->vtbl->createView(controller_, "editor");
        if (v != nullptr)
            views_.push_back(v);
        return v;
    }
    void drop_view(IPlugView* v) {
        views_.erase(std::find(views_.begin(), views_.end(), v));
        vst3host_release(v);
    }
    tresult attach(IPlugView* v, HWND parent = nullptr) {
        return v->vtbl->attached(v, parent ? parent : parent_, "HWND");
    }
    static WebViewHost* host_of(IPlugView* v) { return ((Vst3View*)v)->web_host; }
    Vst3Controller* controller_object() { return (Vst3Controller*)controller_; }

    StubHooks& stub(IPlugView* v) {
        EXPECT_TRUE(stub_.load(host_of(v)->loaderModule));
        return stub_;
    }
    // Posts a page message and waits until the host thread has run `edits`
    // more handler calls.
    void page_says(IPlugView* v, const wchar_t* text, size_t edits) {
        size_t before = handler_.edits.size();
        ASSERT_EQ(0, stub(v).post_page_message(host_of(v)->webWindow, text, 1));
        EXPECT_TRUE(pump_until([&] { return handler_.edits.size() >= before + edits; }, 10000));
    }
    // Raises the web view's process failure and waits until our handler has
    // answered it: the edits it led to have reached the host by then.
    void web_view_fails(IPlugView* v) {
        HWND window = host_of(v)->webWindow;
        int handled = stub(v).result(window, -1, nullptr);
        ASSERT_EQ(0, stub(v).process_failed(window));
        EXPECT_TRUE(pump_until([&] { return stub_.result(window, -1, nullptr) > handled; }, 10000));
    }
    std::wstring gesture(char kind, uint32_t index, float value) {
        wchar_t text[40];
        swprintf(text, 40, L"%c %x %08x", kind, index, bits_of(value));
        return text;
    }

    IEditController* controller_ = nullptr;
    RecordingHandler handler_{};
    HWND parent_ = nullptr;
    std::vector<IPlugView*> views_;
    std::vector<HWND> windows_;
    StubHooks stub_{};
};

TEST_F(ViewTest, AnswersPlatformAndSizeQuestionsBeforeItIsAttached) {
    IPlugView* v = open_view();
    ASSERT_NE(nullptr, v);
    EXPECT_EQ(kResultOk, v->vtbl->isPlatformTypeSupported(v, "HWND"));
    for (const char* other : {"NSView", "X11EmbedWindowID", "hwnd", "HWND ", ""}) {
        EXPECT_EQ(kResultFalse, v->vtbl->isPlatformTypeSupported(v, other)) << other;
    }
    EXPECT_EQ(kResultFalse, v->vtbl->isPlatformTypeSupported(v, nullptr));

    ViewRect rect = {5, 6, 7, 8};
    EXPECT_EQ(kResultOk, v->vtbl->getSize(v, &rect));
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(700, rect.right);
    EXPECT_EQ(677, rect.bottom);
    EXPECT_EQ(kInvalidArgument, v->vtbl->getSize(v, nullptr));

    ViewRect wanted = {0, 0, 900, 700};
    EXPECT_EQ(kResultFalse, v->vtbl->onSize(v, &wanted));
    EXPECT_EQ(kResultOk, v->vtbl->canResize(v));
    ViewRect odd = {3, 4, 50, 60};
    EXPECT_EQ(kResultOk, v->vtbl->checkSizeConstraint(v, &odd));
    EXPECT_EQ(50, odd.right);
    EXPECT_EQ(60, odd.bottom);

    EXPECT_EQ(kInvalidArgument, v->vtbl->attached(v, parent_, "NSView"));
    EXPECT_EQ(kInvalidArgument, v->vtbl->attached(v, parent_, nullptr));
    EXPECT_EQ(nullptr, host_of(v));
    EXPECT_EQ(kResultOk, v->vtbl->removed(v)) << "nothing to remove";
    EXPECT_EQ(nullptr, controller_->vtbl->createView(controller_, "Editor"));
}

TEST_F(ViewTest, AttachedEditorGetsEveryValueInOrderAndFollowsResizes) {
    ASSERT_EQ(kResultOk,
              controller_->vtbl->setParamNormalized(controller_, param_id(kLfoSyncRate), 0.5));
    ASSERT_EQ(kResultOk,
              controller_->vtbl->setParamNormalized(controller_, param_id(kLfoOut), 0.75));
    IPlugView* v = open_view();
    ASSERT_NE(nullptr, v);
    ASSERT_EQ(kResultOk, attach(v));
    ASSERT_NE(nullptr, host_of(v));
    EXPECT_EQ(parent_, GetAncestor(host_of(v)->webWindow, GA_PARENT));

    auto posts = value_posts(page_posts(stub(v), host_of(v)));
    ASSERT_EQ(kParameterCount, posts.size());
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        double expected = i < kInputParameterCount ? parameter_record(i)->default_value
                                                   : (i == kModPosition ? 50.0 : 0.0);
        if (i == kLfoSyncRate)
            expected = 13.0;
        if (i == kLfoOut)
            expected = 0.5;
        EXPECT_EQ(i, posts[i].first);
        EXPECT_EQ(bits_of(expected), posts[i].second) << "index " << i;
    }

    // A second attach leaves the running editor alone.
    HWND window = host_of(v)->webWindow;
    EXPECT_EQ(kInvalidArgument, attach(v));
    EXPECT_EQ(window, host_of(v)->webWindow);
    EXPECT_EQ(kParameterCount, value_posts(page_posts(stub(v), host_of(v))).size());

    ViewRect rect = {};
    EXPECT_EQ(kResultOk, v->vtbl->getSize(v, &rect));
    EXPECT_EQ(700, rect.right);
    EXPECT_EQ(677, rect.bottom);
    ViewRect wanted = {10, 20, 910, 720};
    EXPECT_EQ(kResultOk, v->vtbl->onSize(v, &wanted));
    EXPECT_EQ(kResultOk, v->vtbl->getSize(v, &rect));
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(900, rect.right);
    EXPECT_EQ(700, rect.bottom);
    // The web view itself follows the window.
    Wv2StubSnapshot snap = {};
    EXPECT_TRUE(pump_until([&] {
        stub(v).snapshot(window, &snap);
        return snap.bounds.right - snap.bounds.left == 900;
    }));

    // Removed, the view is detached again and can be attached anew.
    EXPECT_EQ(kResultOk, v->vtbl->removed(v));
    EXPECT_EQ(nullptr, host_of(v));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(kResultOk, v->vtbl->getSize(v, &rect));
    EXPECT_EQ(700, rect.right);
    EXPECT_EQ(kResultOk, attach(v));
    EXPECT_EQ(kParameterCount, value_posts(page_posts(stub(v), host_of(v))).size());
}

TEST_F(ViewTest, PageGesturesBecomeSnappedHostEdits) {
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    const ParamID rate = param_id(kLfoSyncRate);

    // A drag on the sync rate reporting 7.6 stores 8, reported as 7/23.
    page_says(v, gesture('b', kLfoSyncRate, 7.6f).c_str(), 2);
    ASSERT_EQ(2u, handler_.edits.size());
    EXPECT_EQ('b', handler_.edits[0].kind);
    EXPECT_EQ(rate, handler_.edits[0].id);
    EXPECT_EQ('p', handler_.edits[1].kind);
    EXPECT_EQ(rate, handler_.edits[1].id);
    EXPECT_DOUBLE_EQ(7.0 / 23.0, handler_.edits[1].value);
    EXPECT_EQ(8.0, controller_object()->values[kLfoSyncRate]);
    page_says(v, gesture('s', kLfoSyncRate, 30.0f).c_str(), 1);
    EXPECT_EQ('p', handler_.edits[2].kind);
    EXPECT_DOUBLE_EQ(1.0, handler_.edits[2].value) << "clamped to the top of the range";
    page_says(v, gesture('e', kLfoSyncRate, 12.2f).c_str(), 2);
    EXPECT_EQ('p', handler_.edits[3].kind);
    EXPECT_DOUBLE_EQ(11.0 / 23.0, handler_.edits[3].value);
    EXPECT_EQ('e', handler_.edits[4].kind);
    EXPECT_EQ(rate, handler_.edits[4].id);

    // A toggle click: begin and perform, then perform and end.
    handler_.edits.clear();
    page_says(v, gesture('b', kLfoOn, 1.0f).c_str(), 2);
    page_says(v, gesture('e', kLfoOn, 1.0f).c_str(), 2);
    ASSERT_EQ(4u, handler_.edits.size());
    const char kinds[] = {'b', 'p', 'p', 'e'};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(kinds[i], handler_.edits[i].kind);
        EXPECT_EQ(param_id(kLfoOn), handler_.edits[i].id);
    }
    EXPECT_EQ(1.0, handler_.edits[1].value);
    EXPECT_EQ(1.0, handler_.edits[2].value);
    EXPECT_EQ(1.0, controller_object()->values[kLfoOn]);

    // The value is not echoed to the page: it already shows it.
    auto posts = value_posts(page_posts(stub(v), host_of(v)));
    EXPECT_EQ(kParameterCount, posts.size());
}

TEST_F(ViewTest, EditsWithoutHandlerOnlyStoreAndANaNIsNoValue) {
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    const float nan_value = nanf("");
    page_says(v, gesture('b', kMix, nan_value).c_str(), 0);
    // An edit behind it shows that the NaN was handled (and dropped) first;
    // the host saw no gesture begin, so none ends.
    page_says(v, gesture('e', kMix, 40.0f).c_str(), 1);
    ASSERT_EQ(1u, handler_.edits.size());
    EXPECT_EQ('p', handler_.edits[0].kind);
    EXPECT_EQ(40.0, controller_object()->values[kMix]);

    controller_->vtbl->setComponentHandler(controller_, nullptr);
    ASSERT_EQ(
        0, stub(v).post_page_message(host_of(v)->webWindow, gesture('s', kMix, 25.0f).c_str(), 1));
    EXPECT_TRUE(pump_until([&] { return controller_object()->values[kMix] == 25.0; }, 10000));
    EXPECT_EQ(1u, handler_.edits.size());
}

// Every gesture the host saw begin ends: when the page reloads in the middle
// of one (with the page's last value) and when the editor closes; nothing
// reaches the host after the close.
TEST_F(ViewTest, GesturesLeftOpenEndWhenThePageReloadsOrTheEditorCloses) {
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    page_says(v, gesture('b', kMix, 30.0f).c_str(), 2);
    page_says(v, gesture('s', kMix, 35.0f).c_str(), 1);
    size_t before = handler_.edits.size();
    ASSERT_EQ(
        0, stub(v).navigate(host_of(v)->webWindow, L"file:///C:/plugin/Resources/index.html", 0));
    ASSERT_TRUE(pump_until([&] { return handler_.edits.size() >= before + 2; }, 10000));
    ASSERT_EQ(before + 2, handler_.edits.size());
    EXPECT_EQ('p', handler_.edits[before].kind);
    EXPECT_EQ(0.35, handler_.edits[before].value);
    EXPECT_EQ('e', handler_.edits[before + 1].kind);
    EXPECT_EQ(param_id(kMix), handler_.edits[before + 1].id);

    // The reloaded page begins twice on one control (a lost end); the host
    // sees one begin. Then the editor closes with two gestures open.
    page_says(v, gesture('b', kPosition, 70.0f).c_str(), 2);
    page_says(v, gesture('b', kPosition, 71.0f).c_str(), 1);
    page_says(v, gesture('b', kLfoOn, 1.0f).c_str(), 2);
    before = handler_.edits.size();
    EXPECT_EQ(kResultOk, v->vtbl->removed(v));
    ASSERT_EQ(before + 2, handler_.edits.size());
    EXPECT_EQ('e', handler_.edits[before].kind);
    EXPECT_EQ(param_id(kPosition), handler_.edits[before].id);
    EXPECT_EQ('e', handler_.edits[before + 1].kind);
    EXPECT_EQ(param_id(kLfoOn), handler_.edits[before + 1].id);
    int begins = 0, ends = 0;
    for (const HostEdit& e : handler_.edits) {
        begins += e.kind == 'b';
        ends += e.kind == 'e';
    }
    EXPECT_EQ(begins, ends);
    pump_until([] { return false; }, 200);
    EXPECT_EQ(before + 2, handler_.edits.size()) << "nothing after the close";
}

// A web view whose process fails in the middle of a gesture: the host sees
// it end once, with the page's last value, and a later close ends nothing
// more. Without a gesture open a failure sends nothing. The kind of failure
// is not known to the editor, and a page that lives on (one that only hung
// for a while) may go on with its gesture: it cannot end it a second time.
TEST_F(ViewTest, AGestureLeftOpenByAFailedWebViewEndsOnce) {
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    web_view_fails(v);
    EXPECT_EQ(0u, handler_.edits.size()) << "no gesture open, nothing to end";

    page_says(v, gesture('b', kMix, 30.0f).c_str(), 2);
    page_says(v, gesture('s', kMix, 35.0f).c_str(), 1);
    size_t before = handler_.edits.size();
    web_view_fails(v);
    ASSERT_EQ(before + 2, handler_.edits.size());
    EXPECT_EQ('p', handler_.edits[before].kind);
    EXPECT_EQ(0.35, handler_.edits[before].value);
    EXPECT_EQ('e', handler_.edits[before + 1].kind);
    EXPECT_EQ(param_id(kMix), handler_.edits[before + 1].id);
    web_view_fails(v);
    EXPECT_EQ(before + 2, handler_.edits.size()) << "a second failure ends nothing more";

    page_says(v, gesture('s', kMix, 40.0f).c_str(), 1);
    page_says(v, gesture('e', kMix, 40.0f).c_str(), 1);
    EXPECT_EQ(40.0, controller_object()->values[kMix]) << "the page's values still count";
    EXPECT_EQ(kResultOk, v->vtbl->removed(v));
    pump_until([] { return false; }, 200);
    std::string kinds;
    for (size_t i = before; i < handler_.edits.size(); ++i)
        kinds += handler_.edits[i].kind;
    EXPECT_EQ("pepp", kinds) << "ended once: not by the page, not by the close";
}

// A host that closes and releases the editor from inside its edit handling
// (here in the first performEdit): the view and its web view go safely, the
// gesture ends, and the rest of the edit is dropped.
TEST_F(ViewTest, AHostMayCloseTheEditorFromInsideAnEdit) {
    int threads = thread_count();
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    StubHooks& hooks = stub(v);
    HWND web_window = host_of(v)->webWindow;
    handler_.on_edit = [&](const HostEdit& e) {
        if (e.kind != 'p' || v == nullptr)
            return;
        IPlugView* closing = v;
        v = nullptr;
        EXPECT_EQ(kResultOk, closing->vtbl->removed(closing));
        drop_view(closing);
    };
    ASSERT_EQ(0, hooks.post_page_message(web_window, gesture('b', kMix, 30.0f).c_str(), 1));
    ASSERT_TRUE(pump_until([&] { return handler_.edits.size() >= 3; }, 10000));
    handler_.on_edit = nullptr;
    std::string kinds;
    for (const HostEdit& e : handler_.edits)
        kinds += e.kind;
    EXPECT_EQ("bpe", kinds) << "begun, performed, then ended by the close";
    // The web view went with the view (and the stand-in's hooks with it).
    EXPECT_TRUE(pump_until([&] { return thread_count() == threads; }, 10000));
    EXPECT_EQ(0, temp_entries());
}

TEST_F(ViewTest, HostValuesAndRestoredStatesReachEveryOpenEditor) {
    IPlugView* a = open_view();
    IPlugView* b = open_view();
    IPlugView* closed = open_view();
    HWND second_parent = make_parent_window();
    windows_.push_back(second_parent);
    ASSERT_EQ(kResultOk, attach(a));
    ASSERT_EQ(kResultOk, attach(b, second_parent));
    size_t before_a = page_posts(stub(a), host_of(a)).size();
    size_t before_b = page_posts(stub(b), host_of(b)).size();

    ASSERT_EQ(kResultOk,
              controller_->vtbl->setParamNormalized(controller_, param_id(kLfoOut), 0.75));
    for (IPlugView* v : {a, b}) {
        auto posts = value_posts(page_posts(stub(v), host_of(v)));
        ASSERT_FALSE(posts.empty());
        EXPECT_EQ((uint32_t)kLfoOut, posts.back().first);
        EXPECT_EQ(bits_of(0.5), posts.back().second);
    }
    EXPECT_EQ(nullptr, host_of(closed));

    // A state that does not load sends nothing; a good one sends all 32.
    float values[kInputParameterCount];
    default_values(values);
    values[kPosition] = 12.5f;
    std::vector<uint8_t> good = make_state(values, "vst3");
    ASSERT_FALSE(good.empty());
    std::vector<uint8_t> bad = good;
    bad[bad.size() / 2] ^= 0x5A;
    for (const std::vector<uint8_t>* bytes : {&bad, &good}) {
        MemoryStream stream;
        memory_stream_init(&stream);
        stream.bytes = *bytes;
        tresult expected = bytes == &good ? kResultOk : kResultFalse;
        EXPECT_EQ(expected, controller_->vtbl->setComponentState(controller_, &stream.iface));
    }
    for (IPlugView* v : {a, b}) {
        size_t before = v == a ? before_a : before_b;
        auto posts = value_posts(page_posts(stub(v), host_of(v)));
        ASSERT_EQ(before + 1 + kInputParameterCount, posts.size());
        for (uint32_t i = 0; i < kInputParameterCount; ++i) {
            EXPECT_EQ(i, posts[before + 1 + i].first);
            EXPECT_EQ(bits_of(values[i]), posts[before + 1 + i].second) << "index " << i;
        }
    }
}

TEST_F(ViewTest, ReleasedViewsFreeTheirSlotsForReuse) {
    IPlugView* first = open_view();
    IPlugView* second = open_view();
    Vst3Controller* c = controller_object();
    ASSERT_EQ(2u, c->views.count);
    EXPECT_EQ((Vst3View*)first, c->views.slots[0]);
    EXPECT_EQ((Vst3View*)second, c->views.slots[1]);

    int threads_before = thread_count();
    ASSERT_EQ(kResultOk, attach(first));
    HWND window = host_of(first)->webWindow;
    DWORD ui_thread = host_of(first)->uiThreadId;
    drop_view(first); // still attached: the editor goes with it
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(thread_ended(ui_thread, 5000));
    EXPECT_LE(thread_count(), threads_before + 1) << "stand-in threads only";
    EXPECT_EQ(nullptr, c->views.slots[0]);
    EXPECT_EQ(0, temp_entries()) << "the user-data folder is gone";

    IPlugView* third = open_view();
    EXPECT_EQ((Vst3View*)third, c->views.slots[0]);
    EXPECT_EQ(2u, c->views.count);
    IPlugView* fourth = open_view();
    EXPECT_EQ((Vst3View*)fourth, c->views.slots[2]);
    EXPECT_EQ(3u, c->views.count);
}

TEST_F(ViewTest, ViewsOutliveTheirControllerSafely) {
    IPlugView* v = open_view();
    IPlugView* idle = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    EXPECT_EQ(0u, vst3host_release(controller_));
    controller_ = nullptr;
    EXPECT_EQ(1, handler_.ref_count) << "the controller gave its handler reference back";

    // The open editor keeps running; its edits have nowhere to go.
    ASSERT_EQ(
        0, stub(v).post_page_message(host_of(v)->webWindow, gesture('b', kMix, 30.0f).c_str(), 1));
    ASSERT_EQ(0, stub(v).post_page_message(host_of(v)->webWindow, L"g", 1));
    size_t posts = page_posts(stub(v), host_of(v)).size();
    EXPECT_TRUE(pump_until(
        [&] { return page_posts(stub(v), host_of(v)).size() >= posts + kParameterCount; }));
    EXPECT_TRUE(handler_.edits.empty());

    EXPECT_EQ(kResultFalse, attach(idle)) << "no values to show";
    EXPECT_EQ(kResultOk, v->vtbl->removed(v));
    ViewRect rect = {};
    EXPECT_EQ(kResultOk, v->vtbl->getSize(v, &rect));
    EXPECT_EQ(700, rect.right);
}

// The whole road: a page gesture reaches the host, goes through the
// component's parameter queue, and the component's output values come back
// through the controller to the page.
TEST_F(ViewTest, OneEditTravelsFromThePageThroughTheComponentBackToThePage) {
    start();
    IPlugView* v = open_view();
    ASSERT_EQ(kResultOk, attach(v));
    const ParamID position = param_id(kPosition);
    page_says(v, gesture('b', kPosition, 80.0f).c_str(), 2);
    ASSERT_EQ(2u, handler_.edits.size());
    ASSERT_EQ('p', handler_.edits[1].kind);
    EXPECT_EQ(position, handler_.edits[1].id);

    // The host passes the performed value into the next block's queue and
    // hands the component's outputs to the controller.
    HostChanges in, out;
    host_changes_init(&in);
    host_changes_add(&in, position, 0, handler_.edits[1].value);
    TestBlock block;
    for (int n = 0; n < 40; ++n) {
        test_block_init(&block, 512, 0.1f);
        host_changes_init(&out);
        ASSERT_EQ(kResultOk, run(&block, n == 0 ? &in : nullptr, &out));
        for (int32_t q = 0; q < out.count; ++q) {
            const HostQueue& queue = out.queues[q];
            controller_->vtbl->setParamNormalized(controller_, queue.id,
                                                  queue.values[queue.count - 1]);
        }
    }
    double shown = controller_object()->values[kModPosition];
    EXPECT_NEAR(80.0, shown, 0.5) << "the modulated position settles on the pedal";
    auto posts = value_posts(page_posts(stub(v), host_of(v)));
    uint32_t last_bits = 0;
    size_t position_posts = 0;
    for (size_t i = kParameterCount; i < posts.size(); ++i) {
        if (posts[i].first == kModPosition) {
            last_bits = posts[i].second;
            ++position_posts;
        }
    }
    EXPECT_GT(position_posts, 0u);
    EXPECT_EQ(bits_of(shown), last_bits);
}

// A module whose folder has no WebView2Loader.dll: no editor, nothing left.
TEST_F(ViewTest, MissingLoaderFailsAttachAndLeavesNothingRunning) {
    Vst3HostModule bare = {};
    ASSERT_TRUE(vst3host_open(&bare, OKA_VST3_BARE_MODULE_PATH));
    IEditController* c = new_controller(bare);
    ASSERT_NE(nullptr, c);
    IPlugView* v = c->vtbl->createView(c, "editor");
    ASSERT_NE(nullptr, v);
    int threads = thread_count();
    EXPECT_EQ(kResultFalse, v->vtbl->attached(v, parent_, "HWND"));
    EXPECT_EQ(nullptr, host_of(v));
    EXPECT_EQ(threads, thread_count());
    EXPECT_EQ(0, temp_entries());
    ViewRect rect = {};
    EXPECT_EQ(kResultFalse, v->vtbl->onSize(v, &rect));
    EXPECT_EQ(kResultFalse, v->vtbl->attached(v, parent_, "HWND"))
        << "and again, not kInvalidArgument";
    EXPECT_EQ(0u, vst3host_release(v));
    EXPECT_EQ(0u, vst3host_release(c));
    vst3host_close(&bare);
}

} // namespace
