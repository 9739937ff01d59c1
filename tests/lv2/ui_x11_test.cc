// The Linux LV2 UI loaded the way hosts load it, under a private Xvfb: with
// a stand-in helper that records what the editor sends and sends what a test
// writes (the protocol, the host calls, the faults), and with the real
// WebKitGTK helper for open/close cycles.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/lv2/ui_x11_host.h"
#include "tests/support/fake_web_helper/fake_helper_session.h"
#include "tests/support/x11/private_display.h"

namespace {

const auto* const kDisplay = ::testing::AddGlobalTestEnvironment(new PrivateDisplay);

// A bundle folder whose helper is the stand-in, with its log and FIFO.
class StandInHelper : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host.ready());
        ASSERT_TRUE(session.begin());
        bundle = session.folder;
        log = session.log;
        ASSERT_EQ(symlink(OKA_FAKE_HELPER_PATH, (bundle + "/zarvo-oka-oka-wah-web").c_str()), 0);
        descriptors = open_descriptor_count();
        children = child_processes();
    }
    void TearDown() override {
        if (ui)
            host.close(ui);
        EXPECT_EQ(open_descriptor_count(), descriptors);
        session.end();
        EXPECT_EQ(child_processes(), children);
        EXPECT_EQ(child_window_count(host.connection(), host.parent()), 0);
    }

    void open() {
        ui = host.open(bundle, &widget);
        ASSERT_NE(ui, nullptr);
        ASSERT_NE(widget, nullptr);
    }
    // Sends one page message, as the page would post it.
    void page_posts(const std::string& text) { ASSERT_TRUE(session.post(text)); }
    bool log_has(const std::string& line) {
        return host.idle_until(ui, [&] { return session.logged(line); });
    }
    std::vector<std::string> page_lines() { return session.page_lines(); }
    pid_t helper_pid() {
        std::vector<pid_t> now = child_processes();
        return now.size() == children.size() + 1 ? now.back() : 0;
    }

    X11UiHost host;
    FakeHelperSession session;
    std::string bundle, log;
    int descriptors = 0;
    std::vector<pid_t> children;
    LV2UI_Handle ui = nullptr;
    LV2UI_Widget widget = nullptr;
};

TEST_F(StandInHelper, OpensInTheParentAsksForItsSizeAndHandsOnlyTheSocketToTheHelper) {
    // A descriptor the host leaves inheritable must not reach the helper.
    int inheritable = ::open("/dev/null", O_RDONLY);
    open();
    ::close(inheritable);
    EXPECT_EQ(child_window_count(host.connection(), host.parent()), 1);
    ASSERT_TRUE(log_has("start inherited nothing else"));
    EXPECT_EQ(host.calls, (std::vector<HostCall>{{'r', 700, 677.0f}}));

    host.resize_widget(widget, 800, 600);
    EXPECT_TRUE(log_has("control size 800 600"));
}

TEST_F(StandInHelper, PageGesturesBecomeTouchBracketedPortWritesInTheirOrder) {
    open();
    host.calls.clear();
    page_posts("b 00000005 3f800000");
    page_posts("s 00000005 40000000");
    page_posts("e 00000005 40400000");
    page_posts("b 0000001f 3f800000"); // bypass on: the enable port goes to 0
    page_posts("e 1f 3f800000");
    page_posts("s 00000024 3f800000"); // index 36 is past the parameters
    page_posts("s 00000020 3f800000"); // an output value is never written
    ASSERT_TRUE(host.idle_until(ui, [&] { return host.calls.size() >= 9; }));
    EXPECT_EQ(host.calls, (std::vector<HostCall>{{'+', 8, 0},
                                                 {'w', 8, 1.0f},
                                                 {'w', 8, 2.0f},
                                                 {'w', 8, 3.0f},
                                                 {'-', 8, 0},
                                                 {'+', 34, 0},
                                                 {'w', 34, 0.0f},
                                                 {'w', 34, 0.0f},
                                                 {'-', 34, 0}}));
}

TEST_F(StandInHelper, PortValuesReachThePageAndAGetAllRepeatsThemFromTheCache) {
    open();
    host.port_event(ui, 34, 1.0f);  // enabled: the page's bypass is 0
    host.port_event(ui, 36, 0.5f);  // LFO phase, unconverted
    host.port_event(ui, 28, 7.6f);  // lfo_sync_rate snaps to 8
    host.port_event(ui, 2, 123.0f); // the event port: no value
    ASSERT_TRUE(log_has("page s 00000021 3f000000"));
    std::vector<std::string> sent = page_lines();
    EXPECT_EQ(sent, (std::vector<std::string>{"s 0000001f 00000000", "s 00000021 3f000000",
                                              "s 00000019 41000000"}));
    page_posts("b 00000003 42c80000"); // the page's own value is cached too
    page_posts("g");
    ASSERT_TRUE(log_has("page s 00000023 00000000"));
    sent = page_lines();
    ASSERT_EQ(sent.size(), 3u + 36u);
    EXPECT_EQ(sent[3 + 3], "s 00000003 42c80000");
    EXPECT_EQ(sent[3 + 25], "s 00000019 41000000");
    EXPECT_EQ(sent[3 + 31], "s 0000001f 00000000");
    EXPECT_EQ(sent[3 + 33], "s 00000021 3f000000");
}

TEST_F(StandInHelper, NewsRequestsAreAnsweredFromTheUsersDataFolder) {
    open();
    page_posts("m quorlV1 syncNewsForce first news");
    page_posts("m quorlV1 getNews ");
    ASSERT_TRUE(log_has("page m quorlV1 getNews first news"));
    EXPECT_EQ(read_file(bundle + "/data/Zarvosonic/quorl-news"), "first news");
    page_posts("x unknown kinds are ignored");
    page_posts("m quorlV1 init prod");
    EXPECT_TRUE(log_has("page m quorlV1 initDone "));
}

TEST_F(StandInHelper, AHelperThatCannotStartGivesNoUiAndLeavesNothing) {
    setenv("OKA_FAKE_HELPER_MODE", "exit", 1);
    LV2UI_Widget made = (LV2UI_Widget)1;
    EXPECT_EQ(host.open(bundle, &made), nullptr);
    EXPECT_EQ(made, nullptr);
    unsetenv("OKA_FAKE_HELPER_MODE");
    unlink((bundle + "/zarvo-oka-oka-wah-web").c_str());
    made = (LV2UI_Widget)1;
    EXPECT_EQ(host.open(bundle, &made), nullptr);
    EXPECT_EQ(made, nullptr);
}

TEST_F(StandInHelper, AHelperBreakingTheProtocolIsHungUpAndReapedWhileTheUiStays) {
    open();
    page_posts("!garbage");
    ASSERT_TRUE(host.idle_until(ui, [&] { return child_processes() == children; }));
    EXPECT_NE(read_file(log).find("end \n"), std::string::npos);
    host.port_event(ui, 3, 50.0f); // nobody to send it to; nothing breaks
    EXPECT_TRUE(host.idle_until(ui, [] { return true; }));
    EXPECT_EQ(child_window_count(host.connection(), host.parent()), 1);
}

TEST_F(StandInHelper, AKilledHelperIsReapedAndTheEmptyUiStaysOpen) {
    open();
    pid_t helper = helper_pid();
    ASSERT_GT(helper, 0);
    kill(helper, SIGKILL);
    ASSERT_TRUE(host.idle_until(ui, [&] { return child_processes() == children; }));
    host.port_event(ui, 35, 0.25f);
    EXPECT_TRUE(host.idle_until(ui, [] { return true; }));
    EXPECT_EQ(child_window_count(host.connection(), host.parent()), 1);
}

TEST(RealHelper, TwentyOpenCloseCyclesLeaveNoProcessDescriptorOrWindow) {
    X11UiHost host;
    ASSERT_TRUE(host.ready());
    int descriptors = open_descriptor_count();
    std::vector<pid_t> children = child_processes();
    for (int cycle = 0; cycle < 20; cycle++) {
        LV2UI_Widget widget = nullptr;
        LV2UI_Handle ui = host.open(OKA_LV2_BUNDLE_DIR, &widget);
        ASSERT_NE(ui, nullptr) << "cycle " << cycle;
        EXPECT_EQ(child_processes().size(), children.size() + 1);
        EXPECT_TRUE(host.idle_until(ui, [] { return true; }));
        host.close(ui);
        ASSERT_EQ(open_descriptor_count(), descriptors) << "cycle " << cycle;
        ASSERT_EQ(child_processes(), children) << "cycle " << cycle;
        ASSERT_EQ(child_window_count(host.connection(), host.parent()), 0) << "cycle " << cycle;
    }
}

} // namespace
