// The LV2 UI under Wine with the stand-in WebView2. The module is the
// bundle's own binary; the bundle path handed to the UI names a test folder
// holding the stand-in loader and the editor page (or, for the failure
// cases, no loader), since the real bundle ships no loader.
#include <gtest/gtest.h>

#include <lv2/ui/ui.h>
#include <math.h>

#include <functional>
#include <string>

#include "engine/parameter_table.h"
#include "lv2/lv2_ui.h"
#include "tests/support/lv2host/lv2host.h"
#include "tests/webui/web_view_fixture.h"

namespace {

struct PortWrite {
    uint32_t port;
    uint32_t size;
    uint32_t format;
    float value;
};

// What the host saw of the UI: port writes and touch notifications, in
// one list so their order shows ('w' write, '+' grab, '-' release).
struct HostLog {
    std::vector<std::pair<char, PortWrite>> calls;
    std::function<void(const PortWrite&)> on_write; // runs inside the write function
    std::string kinds() const {
        std::string out;
        for (const auto& c : calls)
            out += c.first;
        return out;
    }
    size_t writes() const {
        size_t n = 0;
        for (const auto& c : calls)
            n += c.first == 'w';
        return n;
    }
};

void write_port(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
                const void* buffer) {
    float value = 0.0f;
    if (size == sizeof value)
        memcpy(&value, buffer, sizeof value);
    HostLog* log = (HostLog*)controller;
    log->calls.push_back({'w', {port, size, format, value}});
    if (log->on_write)
        log->on_write(log->calls.back().second);
}

void touch_port(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    ((HostLog*)handle)->calls.push_back({grabbed ? '+' : '-', {port, 0, 0, 0.0f}});
}

// The Unix folder as Wine's Z: path, with the trailing separator hosts give.
std::string windows_folder(const char* unix_path) {
    std::string out = "Z:";
    for (const char* p = unix_path; *p; ++p)
        out += *p == '/' ? '\\' : *p;
    return out + "\\";
}

class UiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(module_.open(OKA_LV2_MODULE_PATH));
        auto entry = (LV2UI_DescriptorFunction)module_.symbol("lv2ui_descriptor");
        ASSERT_NE(nullptr, entry);
        descriptor_ = entry(0);
        ASSERT_NE(nullptr, descriptor_);
        EXPECT_EQ(nullptr, entry(1));
        parent_ = make_parent_window();
        touch_ = {&log_, touch_port};
    }
    void TearDown() override {
        if (ui_ != nullptr)
            descriptor_->cleanup(ui_);
        DestroyWindow(parent_);
        module_.close();
    }

    // Instantiates with the given features (null-terminated by this call).
    LV2UI_Handle open(const std::string& bundle, std::vector<const LV2_Feature*> features) {
        features.push_back(nullptr);
        widget_ = (LV2UI_Widget)0x1;
        return descriptor_->instantiate(descriptor_, "https://zarvosonic.com/oka-oka-wah",
                                        bundle.c_str(), write_port, &log_, &widget_,
                                        features.data());
    }
    LV2UI_Handle open_embedded(bool with_touch) {
        std::vector<const LV2_Feature*> f = {&parent_feature_};
        if (with_touch)
            f.push_back(&touch_feature_);
        parent_feature_.data = parent_;
        return ui_ = open(windows_folder(OKA_LV2_UI_BUNDLE), f);
    }
    WebViewHost* host() { return ((Lv2Ui*)ui_)->web_host; }
    StubHooks& stub() {
        EXPECT_TRUE(stub_.load(host()->loaderModule));
        return stub_;
    }
    std::vector<std::pair<uint32_t, uint32_t>> values_shown() {
        std::vector<std::pair<uint32_t, uint32_t>> out;
        for (const std::wstring& p : page_posts(stub(), host())) {
            unsigned index = 0, bits = 0;
            if (swscanf(p.c_str(), L"s %x %x", &index, &bits) == 2)
                out.push_back({index, bits});
        }
        return out;
    }
    void port_event(uint32_t port, float value) {
        descriptor_->port_event(ui_, port, 4, 0, &value);
    }
    // Posts a gesture and waits until the host saw `writes` more port writes.
    void page_edit(char kind, uint32_t index, float value, size_t writes) {
        wchar_t text[40];
        swprintf(text, 40, L"%c %x %08x", kind, index, bits_of(value));
        size_t before = log_.writes();
        ASSERT_EQ(0, stub().post_page_message(host()->webWindow, text, 1));
        EXPECT_TRUE(pump_until([&] { return log_.writes() >= before + writes; }, 10000));
    }

    // Raises the web view's process failure and waits until our handler has
    // answered it: the edits it led to have reached the host by then.
    void web_view_fails() {
        HWND window = host()->webWindow;
        int handled = stub().result(window, -1, nullptr);
        ASSERT_EQ(0, stub().process_failed(window));
        EXPECT_TRUE(pump_until([&] { return stub_.result(window, -1, nullptr) > handled; }, 10000));
    }

    Lv2HostModule module_;
    const LV2UI_Descriptor* descriptor_ = nullptr;
    HWND parent_ = nullptr;
    HostLog log_;
    LV2UI_Touch touch_{};
    LV2_Feature parent_feature_ = {LV2_UI__parent, nullptr};
    LV2_Feature touch_feature_ = {LV2_UI__touch, &touch_};
    LV2UI_Widget widget_ = nullptr;
    LV2UI_Handle ui_ = nullptr;
    StubHooks stub_{};
};

TEST_F(UiTest, DescribesItselfAndOffersTheIdleInterface) {
    EXPECT_STREQ("https://zarvosonic.com/oka-oka-wah#ui", descriptor_->URI);
    auto* idle = (const LV2UI_Idle_Interface*)descriptor_->extension_data(LV2_UI__idleInterface);
    ASSERT_NE(nullptr, idle);
    EXPECT_EQ(nullptr, descriptor_->extension_data(LV2_UI__showInterface));
    EXPECT_EQ(nullptr, descriptor_->extension_data(LV2_UI__resize));
    ASSERT_NE(nullptr, open_embedded(false));
    EXPECT_EQ(0, idle->idle(ui_)) << "the UI stays open";
}

TEST_F(UiTest, OpensInsideTheHostsWindowOrAsItsOwnWindow) {
    ASSERT_NE(nullptr, open_embedded(true));
    EXPECT_EQ((LV2UI_Widget)host()->webWindow, widget_);
    EXPECT_EQ(parent_, GetAncestor(host()->webWindow, GA_PARENT));
    Wv2StubSnapshot snap = {};
    ASSERT_EQ(0, stub().snapshot(host()->webWindow, &snap));
    EXPECT_NE(nullptr, wcsstr(snap.navigated_to, L"index.html"));
    HWND embedded = host()->webWindow;
    DWORD ui_thread = host()->uiThreadId;
    descriptor_->cleanup(ui_);
    ui_ = nullptr;
    EXPECT_FALSE(IsWindow(embedded));
    EXPECT_TRUE(thread_ended(ui_thread, 5000));
    EXPECT_EQ(0, temp_entries());

    // No parent: a top-level window with a frame of its own.
    ui_ = open(windows_folder(OKA_LV2_UI_BUNDLE), {&touch_feature_});
    ASSERT_NE(nullptr, ui_);
    EXPECT_EQ(GetDesktopWindow(), GetAncestor(host()->webWindow, GA_PARENT));
    LONG_PTR style = GetWindowLongPtrA(host()->webWindow, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_CHILD);
}

TEST_F(UiTest, PortEventsReachThePageInTheParametersOwnSense) {
    ASSERT_NE(nullptr, open_embedded(false));
    size_t before = values_shown().size();
    port_event(34, 1.0f);  // enabled: bypass 0
    port_event(34, 0.0f);  // disabled: bypass 1
    port_event(36, 0.25f); // LFO phase, unconverted
    port_event(38, -3.5f); // envelope output, unconverted even out of range
    port_event(28, 7.6f);  // sync rate, snapped as the plug-in does
    port_event(3, 250.0f); // position, clamped
    for (uint32_t ignored : {0u, 1u, 2u, 39u, 1000u})
        port_event(ignored, 1.0f);
    auto shown = values_shown();
    ASSERT_EQ(before + 6, shown.size());
    const std::pair<uint32_t, uint32_t> expected[] = {
        {kBypass, bits_of(0.0f)},  {kBypass, bits_of(1.0f)},      {kLfoPhase, bits_of(0.25f)},
        {kEnvOut, bits_of(-3.5f)}, {kLfoSyncRate, bits_of(8.0f)}, {kPosition, bits_of(100.0f)},
    };
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(expected[i], shown[before + i]) << "event " << i;

    // The page's own request for every value gets what the events set.
    size_t posts = page_posts(stub(), host()).size();
    ASSERT_EQ(0, stub().post_page_message(host()->webWindow, L"g", 1));
    ASSERT_TRUE(
        pump_until([&] { return page_posts(stub(), host()).size() >= posts + kParameterCount; }));
    shown = values_shown();
    EXPECT_EQ(std::make_pair((uint32_t)kLfoPhase, bits_of(0.25f)),
              shown[shown.size() - kParameterCount + kLfoPhase]);
}

// The page's "m" texts go to the news store, whose replies come back.
TEST_F(UiTest, NewsRequestsFromThePageAreAnswered) {
    ASSERT_NE(nullptr, open_embedded(false));
    ASSERT_EQ(0, stub().post_page_message(host()->webWindow, L"m quorlV1 init oka-ui-test", 1));
    EXPECT_TRUE(pump_until([&] {
        auto posts = page_posts(stub(), host());
        return !posts.empty() && posts.back() == L"m quorlV1 initDone ";
    }));
    EXPECT_TRUE(log_.calls.empty());
}

TEST_F(UiTest, PageEditsWritePortsInsideTouchBrackets) {
    ASSERT_NE(nullptr, open_embedded(true));
    // Bypass switched on in the page: the enable port gets 0.
    page_edit('b', kBypass, 1.0f, 1);
    page_edit('e', kBypass, 1.0f, 1);
    ASSERT_EQ(4u, log_.calls.size());
    const char kinds[] = {'+', 'w', 'w', '-'};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(kinds[i], log_.calls[i].first) << i;
        EXPECT_EQ(34u, log_.calls[i].second.port) << i;
    }
    EXPECT_EQ(0.0f, log_.calls[1].second.value);
    EXPECT_EQ(4u, log_.calls[1].second.size);
    EXPECT_EQ(0u, log_.calls[1].second.format);

    // A drag on the sync rate reporting 7.6 writes 8 to port 28.
    log_.calls.clear();
    page_edit('b', kLfoSyncRate, 7.6f, 1);
    page_edit('s', kLfoSyncRate, 99.0f, 1);
    page_edit('e', kLfoSyncRate, 2.4f, 1);
    ASSERT_EQ(5u, log_.calls.size());
    EXPECT_EQ('+', log_.calls[0].first);
    EXPECT_EQ(28u, log_.calls[0].second.port);
    EXPECT_EQ(8.0f, log_.calls[1].second.value);
    EXPECT_EQ(24.0f, log_.calls[2].second.value) << "clamped";
    EXPECT_EQ(2.0f, log_.calls[3].second.value);
    EXPECT_EQ('-', log_.calls[4].first);
    for (const auto& c : log_.calls)
        EXPECT_EQ(28u, c.second.port);

    // Outputs and NaN are not written; an edit behind them shows they were
    // handled first.
    log_.calls.clear();
    page_edit('b', kLfoOut, 0.5f, 0);
    page_edit('s', kMix, nanf(""), 0);
    page_edit('s', kMix, 30.0f, 1);
    ASSERT_EQ(1u, log_.calls.size());
    EXPECT_EQ('w', log_.calls[0].first);
    EXPECT_EQ(4u, log_.calls[0].second.port);
    EXPECT_EQ(30.0f, log_.calls[0].second.value);
}

TEST_F(UiTest, WithoutTouchEditsArePlainWrites) {
    ASSERT_NE(nullptr, open_embedded(false));
    page_edit('b', kLfoOn, 1.0f, 1);
    page_edit('e', kLfoOn, 1.0f, 1);
    ASSERT_EQ(2u, log_.calls.size());
    for (const auto& c : log_.calls) {
        EXPECT_EQ('w', c.first);
        EXPECT_EQ(kLfoOn + 3u, c.second.port);
        EXPECT_EQ(1.0f, c.second.value);
    }
}

// Every touch the host saw grabbed is released: when the page reloads in the
// middle of a gesture (with the page's last value written first) and when
// the UI closes; nothing is written after the close.
TEST_F(UiTest, TouchesLeftGrabbedAreReleasedOnReloadAndClose) {
    ASSERT_NE(nullptr, open_embedded(true));
    page_edit('b', kMix, 30.0f, 1);
    page_edit('s', kMix, 35.0f, 1);
    size_t before = log_.calls.size();
    ASSERT_EQ(0, stub().navigate(host()->webWindow, L"file:///C:/plugin/index.html", 0));
    ASSERT_TRUE(pump_until([&] { return log_.calls.size() >= before + 2; }, 10000));
    ASSERT_EQ(before + 2, log_.calls.size());
    EXPECT_EQ('w', log_.calls[before].first);
    EXPECT_EQ(35.0f, log_.calls[before].second.value);
    EXPECT_EQ('-', log_.calls[before + 1].first);
    EXPECT_EQ(kMix + 3u, log_.calls[before + 1].second.port);

    page_edit('b', kPosition, 70.0f, 1);
    page_edit('b', kPosition, 71.0f, 1); // a lost end: grabbed once all the same
    page_edit('b', kLfoOn, 1.0f, 1);
    before = log_.calls.size();
    descriptor_->cleanup(ui_);
    ui_ = nullptr;
    ASSERT_EQ(before + 2, log_.calls.size());
    EXPECT_EQ('-', log_.calls[before].first);
    EXPECT_EQ(kPosition + 3u, log_.calls[before].second.port);
    EXPECT_EQ('-', log_.calls[before + 1].first);
    EXPECT_EQ(kLfoOn + 3u, log_.calls[before + 1].second.port);
    int grabs = 0, releases = 0;
    for (const auto& c : log_.calls) {
        grabs += c.first == '+';
        releases += c.first == '-';
    }
    EXPECT_EQ(grabs, releases);
}

// A web view whose process fails in the middle of a gesture: the touch is
// released once, after the page's last value is written, and a later close
// releases nothing more. Without a gesture open a failure sends nothing. A
// page that lives on (one that only hung for a while) may go on with its
// gesture: its values are written, the touch is not released again.
TEST_F(UiTest, ATouchLeftGrabbedByAFailedWebViewIsReleasedOnce) {
    ASSERT_NE(nullptr, open_embedded(true));
    web_view_fails();
    EXPECT_TRUE(log_.calls.empty()) << "no gesture open, nothing to release";

    page_edit('b', kMix, 30.0f, 1);
    page_edit('s', kMix, 35.0f, 1);
    size_t before = log_.calls.size();
    web_view_fails();
    ASSERT_EQ(before + 2, log_.calls.size());
    EXPECT_EQ('w', log_.calls[before].first);
    EXPECT_EQ(35.0f, log_.calls[before].second.value);
    EXPECT_EQ('-', log_.calls[before + 1].first);
    EXPECT_EQ(kMix + 3u, log_.calls[before + 1].second.port);
    web_view_fails();
    EXPECT_EQ(before + 2, log_.calls.size()) << "a second failure releases nothing more";

    page_edit('s', kMix, 40.0f, 1);
    page_edit('e', kMix, 41.0f, 1);
    descriptor_->cleanup(ui_);
    ui_ = nullptr;
    EXPECT_EQ("+www-ww", log_.kinds()) << "released once: not by the page, not by the close";
    EXPECT_EQ(41.0f, log_.calls.back().second.value);
}

// A host that cleans the UI up from inside its write function: the UI and
// its web view go safely and the grabbed touch is released.
TEST_F(UiTest, AHostMayCloseTheUiFromInsideItsWriteFunction) {
    int threads = thread_count();
    ASSERT_NE(nullptr, open_embedded(true));
    StubHooks& hooks = stub();
    HWND web_window = host()->webWindow;
    log_.on_write = [&](const PortWrite&) {
        if (ui_ == nullptr)
            return;
        LV2UI_Handle closing = ui_;
        ui_ = nullptr;
        descriptor_->cleanup(closing);
    };
    wchar_t text[40];
    swprintf(text, 40, L"b %x %08x", kMix, bits_of(30.0f));
    ASSERT_EQ(0, hooks.post_page_message(web_window, text, 1));
    ASSERT_TRUE(pump_until([&] { return log_.calls.size() >= 3; }, 10000));
    log_.on_write = nullptr;
    EXPECT_EQ("+w-", log_.kinds());
    // The web view went with the UI (and the stand-in's hooks with it).
    EXPECT_TRUE(pump_until([&] { return thread_count() == threads; }, 10000));
    EXPECT_EQ(0, temp_entries());
}

TEST_F(UiTest, AFailedWebViewGivesNoUiAndLeavesNothing) {
    int threads = thread_count();
    parent_feature_.data = parent_;
    EXPECT_EQ(nullptr,
              open(windows_folder(OKA_LV2_UI_BARE_BUNDLE), {&parent_feature_, &touch_feature_}));
    EXPECT_EQ(nullptr, widget_);
    EXPECT_EQ(threads, thread_count());
    EXPECT_EQ(0, temp_entries());

    // The loader is there but WebView2 fails to start.
    std::string folder = windows_folder(OKA_LV2_UI_BUNDLE);
    std::wstring loader(folder.begin(), folder.end());
    HMODULE stand_in = LoadLibraryW((loader + L"WebView2Loader.dll").c_str());
    ASSERT_NE(nullptr, stand_in);
    StubHooks hooks;
    ASSERT_TRUE(hooks.load(stand_in));
    hooks.configure(kWv2StepCreateController, 6, 1);
    EXPECT_EQ(nullptr, open(windows_folder(OKA_LV2_UI_BUNDLE), {&parent_feature_}));
    hooks.configure(kWv2StepNone, 6, 1);
    EXPECT_EQ(nullptr, widget_);
    EXPECT_EQ(0, hooks.live_objects());
    EXPECT_EQ(0, temp_entries());
    EXPECT_TRUE(log_.calls.empty());
    FreeLibrary(stand_in);
}

} // namespace
