// The two threads of a host meeting each other: values set from inside an
// edit callback, host-side values while an edit is forwarded, destroy in the
// middle of a drag, and a stress run over several hosts.
#include "tests/webui/web_view_fixture.h"

#include <stdio.h>

#include <gtest/gtest.h>

namespace {

class ThreadsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(local_stub().configure);
        local_stub().configure(kWv2StepNone, 6, 1);
    }
    WebViewHost* open(TestModule* m) {
        m->loaderFolder = m->webRoot = exe_folder();
        WebViewCallbacks cb = m->callbacks();
        m->host = webview::create(false, NULL, &cb, nullptr, 700, 677, 36);
        return m->host;
    }
    static std::wstring gesture(const wchar_t* kind, uint32_t index, float value) {
        wchar_t text[48];
        swprintf(text, 48, L"%ls %x %x", kind, index, bits_of(value));
        return text;
    }
    static int handled(WebViewHost* host) {
        return local_stub().result(host->webWindow, -1, nullptr);
    }
};

TEST_F(ThreadsTest, ValueSetInsideEditCallbackReachesPageBeforeForwardingEnds) {
    TestModule m;
    m.on_edit = [](TestModule* self, const RecordedEdit& e) {
        float v;
        memcpy(&v, &e.bits, sizeof v);
        // A host that echoes the edit, snapped to half.
        EXPECT_EQ(0, webview::setParameter(self->host, e.index, v * 0.5f));
        // Texts cannot be served from here; refused instead of deadlocking.
        EXPECT_LT(webview::sendText(self->host, "not now"), 0);
    };
    WebViewHost* host = open(&m);
    ASSERT_NE(nullptr, host);
    for (float v : {1.0f, 2.0f, 4.0f})
        local_stub().post_page_message(host->webWindow, gesture(L"s", 7, v).c_str(), 1);
    // Each handler returns only after its forwarding ended, so three handled
    // events mean three finished forwards.
    ASSERT_TRUE(pump_until([&] { return handled(host) == 3; }));
    auto posts = page_posts(local_stub(), host);
    ASSERT_EQ(3u, posts.size());
    EXPECT_EQ(value_message(7, 0.5f), posts[0]);
    EXPECT_EQ(value_message(7, 1.0f), posts[1]);
    EXPECT_EQ(value_message(7, 2.0f), posts[2]);
    // The echoed value, not the page's, is what a reloaded page gets.
    local_stub().post_page_message(host->webWindow, L"g", 1);
    ASSERT_TRUE(pump_until([&] { return handled(host) == 4; }));
    posts = page_posts(local_stub(), host);
    ASSERT_EQ(3u + 36u, posts.size());
    EXPECT_EQ(value_message(7, 2.0f), posts[3 + 7]);
    webview::destroy(host);
}

TEST_F(ThreadsTest, HostSideValueWaitsForForwardedEditThenPosts) {
    TestModule m;
    std::vector<std::string> order;
    m.on_edit = [&](TestModule*, const RecordedEdit&) { order.push_back("edit"); };
    WebViewHost* host = open(&m);
    ASSERT_NE(nullptr, host);
    local_stub().post_page_message(host->webWindow, gesture(L"b", 2, 0.25f).c_str(), 1);
    // Without pumping, the UI thread now holds the call lock and waits for us.
    Sleep(200);
    EXPECT_EQ(0, webview::setParameter(host, 3, 0.75f));
    order.push_back("set returned");
    ASSERT_EQ(2u, order.size());
    EXPECT_EQ("edit", order[0]);
    auto posts = page_posts(local_stub(), host);
    ASSERT_EQ(1u, posts.size());
    EXPECT_EQ(value_message(3, 0.75f), posts[0]);
    webview::destroy(host);
}

// The UI thread, waiting for the lock to forward one edit, must not start
// forwarding a later one: the module would see the gestures out of order.
void slow_page_text(WebViewHost*, const char*) {
    Sleep(300);
}

TEST_F(ThreadsTest, EditsQueuedBehindAHostRequestKeepThePageOrder) {
    TestModule m;
    m.loaderFolder = m.webRoot = exe_folder();
    WebViewCallbacks cb = m.callbacks();
    WebViewHost* host = webview::create(false, NULL, &cb, slow_page_text, 700, 677, 36);
    ASSERT_NE(nullptr, host);
    m.host = host;
    local_stub().post_page_message(host->webWindow, L"m busy", 1);
    local_stub().post_page_message(host->webWindow, gesture(L"b", 1, 1.0f).c_str(), 1);
    local_stub().post_page_message(host->webWindow, gesture(L"b", 2, 2.0f).c_str(), 1);
    Sleep(100); // the UI thread is inside the slow handler; both gestures queue
    // Holds the call lock while the UI thread reaches the first gesture.
    EXPECT_EQ(0, webview::setParameter(host, 3, 3.0f));
    ASSERT_TRUE(pump_until([&] { return m.edits.size() == 2; }));
    EXPECT_EQ(1u, m.edits[0].index);
    EXPECT_EQ(2u, m.edits[1].index);
    webview::destroy(host);
}

TEST_F(ThreadsTest, DestroyDuringDragCompletes) {
    TestModule m;
    WebViewHost* host = open(&m);
    ASSERT_NE(nullptr, host);
    Wv2StubSnapshot s;
    ASSERT_EQ(0, local_stub().snapshot(host->webWindow, &s));
    local_stub().post_page_message(host->webWindow, gesture(L"b", 0, 0.0f).c_str(), 1);
    for (int i = 1; i <= 300; ++i)
        local_stub().post_page_message(host->webWindow, gesture(L"s", 0, (float)i).c_str(), 1);
    Sleep(50);
    webview::destroy(host); // returns: that is the test, together with the checks below
    EXPECT_FALSE(folder_exists(s.userDataFolder));
    // Whatever arrived came in the page's order.
    for (size_t i = 1; i < m.edits.size(); ++i) {
        float v;
        memcpy(&v, &m.edits[i].bits, sizeof v);
        EXPECT_EQ((float)i, v);
    }
}

TEST_F(ThreadsTest, StressSeveralHostsDeliverEveryValueInOrder) {
    const int kHosts = 3;
    const int kHostValues = 3000;
    const int kGestureEvery = 10;
    TestModule modules[kHosts];
    std::vector<std::wstring> sent[kHosts];
    for (int h = 0; h < kHosts; ++h) {
        ASSERT_NE(nullptr, open(&modules[h]));
        if (h == 0) { // one host echoes every edit from inside its callback
            modules[h].on_edit = [](TestModule* self, const RecordedEdit& e) {
                float v;
                memcpy(&v, &e.bits, sizeof v);
                webview::setParameter(self->host, 30, v);
            };
        }
    }
    int gestures = 0;
    for (int i = 0; i < kHostValues; ++i) {
        for (int h = 0; h < kHosts; ++h) {
            ASSERT_EQ(0, webview::setParameter(modules[h].host, 20, (float)i));
            if (i % kGestureEvery == 0) {
                const wchar_t* kind = (i / kGestureEvery) % 3 == 0   ? L"b"
                                      : (i / kGestureEvery) % 3 == 1 ? L"s"
                                                                     : L"e";
                std::wstring g = gesture(kind, (uint32_t)(i % 20), (float)i);
                sent[h].push_back(g);
                local_stub().post_page_message(modules[h].host->webWindow, g.c_str(), 1);
            }
        }
        if (i % kGestureEvery == 0)
            ++gestures;
    }
    for (int h = 0; h < kHosts; ++h) {
        TestModule& m = modules[h];
        ASSERT_TRUE(pump_until([&] { return (int)m.edits.size() == gestures; }, 60000)) << h;
        for (int k = 0; k < gestures; ++k) {
            const RecordedEdit& e = m.edits[(size_t)k];
            int i = k * kGestureEvery;
            EXPECT_EQ((uint32_t)(i % 20), e.index);
            EXPECT_EQ(bits_of((float)i), e.bits);
            EXPECT_EQ(k % 3, e.kind);
        }
        // Host-side values reach the page complete and in order; the echoes too.
        std::vector<std::wstring> values, echoes;
        for (const std::wstring& p : page_posts(local_stub(), m.host)) {
            if (p.compare(0, 11, L"s 00000014 ") == 0)
                values.push_back(p);
            if (p.compare(0, 11, L"s 0000001e ") == 0)
                echoes.push_back(p);
        }
        ASSERT_EQ((size_t)kHostValues, values.size()) << h;
        for (int i = 0; i < kHostValues; ++i)
            EXPECT_EQ(value_message(20, (float)i), values[(size_t)i]);
        ASSERT_EQ(h == 0 ? (size_t)gestures : 0u, echoes.size());
        for (size_t k = 0; k < echoes.size(); ++k)
            EXPECT_EQ(value_message(30, (float)(k * kGestureEvery)), echoes[k]);
    }
    for (int h = 0; h < kHosts; ++h)
        webview::destroy(modules[h].host);
}

} // namespace
