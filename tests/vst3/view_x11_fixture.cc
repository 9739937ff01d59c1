#include "tests/vst3/view_x11_fixture.h"

#include <stdlib.h>

#include <algorithm>

#include "tests/support/x11/private_display.h"
#include "tests/vst3/vst3_test_util.h"

namespace {

const auto* const kDisplay = ::testing::AddGlobalTestEnvironment(new PrivateDisplay);

} // namespace

void X11ViewTest::SetUp() {
    ASSERT_TRUE(vst3host_open(&module_, module_path_)) << module_path_;
    host_context_init(&context_);
    host_run_loop_init(&loop_, true);
    recording_handler_init(&handler_);
    connection_ = xcb_connect(nullptr, nullptr);
    parent_ = make_parent_window(connection_, 900, 800);
    ASSERT_NE(0u, parent_);
    controller_ = new_controller(&context_.iface);
    ASSERT_NE(nullptr, controller_);
    descriptors_ = open_descriptor_count();
    children_ = child_processes();
}

void X11ViewTest::TearDown() {
    for (IPlugView* v : views_)
        vst3host_release(v);
    views_.clear();
    if (controller_ != nullptr) {
        controller_->vtbl->terminate(controller_);
        EXPECT_EQ(0u, vst3host_release(controller_));
    }
    EXPECT_TRUE(host_run_loop_empty(&loop_)) << "run-loop registrations left";
    EXPECT_EQ(1, loop_.ref_count) << "run-loop references kept";
    EXPECT_EQ(descriptors_, open_descriptor_count());
    EXPECT_EQ(children_, child_processes());
    if (parent_ != 0) {
        EXPECT_EQ(0, child_window_count(connection_, parent_));
    }
    xcb_disconnect(connection_);
    vst3host_close(&module_);
}

IEditController* X11ViewTest::new_controller(FUnknown* context) {
    void* obj = nullptr;
    if (module_.factory->vtbl->createInstance(module_.factory, kTestControllerCid,
                                              kIidIEditController, &obj) != kResultOk)
        return nullptr;
    auto* c = (IEditController*)obj;
    EXPECT_EQ(kResultOk, c->vtbl->initialize(c, context));
    c->vtbl->setComponentHandler(c, &handler_.iface);
    return c;
}

IPlugView* X11ViewTest::open_view(bool with_frame) {
    IPlugView* v = controller_->vtbl->createView(controller_, "editor");
    if (v == nullptr)
        return nullptr;
    if (with_frame) {
        EXPECT_EQ(kResultOk, v->vtbl->setFrame(v, (FUnknown*)&loop_.frame));
    }
    views_.push_back(v);
    return v;
}

void X11ViewTest::drop_view(IPlugView* view) {
    views_.erase(std::find(views_.begin(), views_.end(), view));
    vst3host_release(view);
}

tresult X11ViewTest::attach(IPlugView* view) {
    return view->vtbl->attached(view, (void*)(uintptr_t)parent_, "X11EmbedWindowID");
}

bool X11ViewTest::run_until(const std::function<bool()>& done, int timeout_ms) {
    return host_run_loop_until(&loop_, done, timeout_ms);
}

uint32_t X11ViewTest::editor_window() {
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, parent_), nullptr);
    uint32_t window = tree && tree->children_len > 0 ? xcb_query_tree_children(tree)[0] : 0;
    free(tree);
    return window;
}

pid_t X11ViewTest::helper_pid() {
    std::vector<pid_t> now = child_processes();
    return now.size() == children_.size() + 1 ? now.back() : 0;
}

std::string X11ViewTest::edit_kinds() const {
    std::string kinds;
    for (const HostEdit& e : handler_.edits)
        kinds += e.kind;
    return kinds;
}
