// Creation and destruction of the web view host against the stand-in
// WebView2: what the page gets, what is left behind, and every way start-up
// can fail.
#include "tests/webui/web_view_fixture.h"

#include <stdio.h>

#include <gtest/gtest.h>

namespace {

std::string class_name(char prefix, const WebViewHost* host) {
    char name[32];
    snprintf(name, sizeof name, "%c%llX", prefix, (unsigned long long)(uintptr_t)host);
    return name;
}

class LifecycleTest : public ::testing::Test {
  protected:
    // Wine starts some service threads on first use of windows, COM and the
    // shell; one editor opened and closed first keeps them out of the counts.
    static void SetUpTestSuite() {
        TestModule warm;
        warm.loaderFolder = warm.webRoot = exe_folder();
        WebViewCallbacks cb = warm.callbacks();
        HWND parent = make_parent_window();
        WebViewHost* host = webview::create(true, parent, &cb, nullptr, 700, 677, 36);
        if (host)
            webview::destroy(host);
        DestroyWindow(parent);
    }
    void SetUp() override {
        ASSERT_TRUE(local_stub().configure) << "stand-in WebView2Loader.dll not found";
        local_stub().configure(kWv2StepNone, 6, 1);
        module.loaderFolder = exe_folder();
        module.webRoot = exe_folder();
        parent = make_parent_window();
        baseline_threads = thread_count();
        baseline_objects = local_stub().live_objects();
    }
    void TearDown() override {
        local_stub().configure(kWv2StepNone, 6, 1);
        DestroyWindow(parent);
    }
    WebViewHost* create(bool embedded = true) {
        WebViewCallbacks cb = module.callbacks();
        module.host = webview::create(embedded, parent, &cb, nullptr, 700, 677, 36);
        return module.host;
    }
    // After a failure or a destroy nothing of ours may remain. The thread count
    // is checked only where no environment was started: Wine may keep a service
    // thread of its own after the first COM or shell use.
    void expect_nothing_left(bool count_threads = false) {
        if (count_threads) {
            EXPECT_TRUE(pump_until([&] { return thread_count() <= baseline_threads; }, 5000))
                << thread_count() << " threads, " << baseline_threads << " before";
        }
        EXPECT_EQ(0, temp_entries());
        EXPECT_EQ(baseline_objects, local_stub().live_objects());
    }
    TestModule module;
    HWND parent = nullptr;
    int baseline_threads = 0;
    int baseline_objects = 0;
};

TEST_F(LifecycleTest, CreateStartsThePageAndDestroyRemovesEverything) {
    WebViewHost* host = create();
    ASSERT_NE(nullptr, host);
    ASSERT_TRUE(IsWindow(host->webWindow));
    EXPECT_EQ(parent, GetAncestor(host->webWindow, GA_PARENT));
    EXPECT_TRUE(GetWindowLongPtrA(host->webWindow, GWL_STYLE) & WS_VISIBLE);

    Wv2StubSnapshot s;
    ASSERT_EQ(0, local_stub().snapshot(host->webWindow, &s));
    std::wstring root(module.webRoot.begin(), module.webRoot.end());
    EXPECT_EQ(root + L"\\index.html", s.navigated_to);
    EXPECT_STREQ(L"--allow-file-access-from-files", s.additional_arguments);
    EXPECT_STREQ(L"131.0.2903.40", s.target_version);
    EXPECT_TRUE(s.options_interface7_asked);
    EXPECT_EQ(1, s.script_enabled);
    EXPECT_EQ(1, s.host_objects);
    for (int off : {s.context_menus, s.dev_tools, s.status_bar, s.zoom_control, s.script_dialogs,
                    s.accelerator_keys, s.password_autosave, s.general_autofill, s.pinch_zoom,
                    s.swipe_navigation, s.allow_external_drop})
        EXPECT_EQ(0, off);
    EXPECT_EQ(1, s.visible);
    EXPECT_EQ(4, s.handlers_registered);
    RECT client;
    GetClientRect(host->webWindow, &client);
    EXPECT_EQ(client.right, s.bounds.right);
    EXPECT_EQ(client.bottom, s.bounds.bottom);

    // The user-data folder lives beside no temporary file while the editor is open.
    std::wstring folder = s.userDataFolder;
    // GetTempFileNameW keeps the first three letters of "vino".
    EXPECT_EQ(0u, folder.find(temp_folder() + L"\\vin")) << folder << " in " << temp_folder();
    EXPECT_TRUE(folder_exists(folder));
    EXPECT_FALSE(file_exists(folder + L".tmp"));
    EXPECT_EQ(1, temp_entries());

    std::string web = class_name('c', host), hidden = class_name('d', host);
    EXPECT_TRUE(class_registered(web));
    EXPECT_TRUE(class_registered(hidden));

    DWORD ui_thread = host->uiThreadId;
    webview::destroy(host);
    EXPECT_TRUE(thread_ended(ui_thread, 0));
    EXPECT_FALSE(folder_exists(folder));
    EXPECT_FALSE(class_registered(web));
    EXPECT_FALSE(class_registered(hidden));
    expect_nothing_left();
}

TEST_F(LifecycleTest, ResizingTheWebWindowFitsTheWebView) {
    WebViewHost* host = create();
    ASSERT_NE(nullptr, host);
    SetWindowPos(host->webWindow, NULL, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    Wv2StubSnapshot s;
    ASSERT_EQ(0, local_stub().snapshot(host->webWindow, &s));
    RECT client;
    GetClientRect(host->webWindow, &client);
    EXPECT_EQ(client.right, s.bounds.right);
    EXPECT_EQ(client.bottom, s.bounds.bottom);
    EXPECT_LE(s.bounds.right, 400);
    webview::destroy(host);
}

TEST_F(LifecycleTest, ParentDestroyedFirstEndsThreadAndDestroyStillFrees) {
    WebViewHost* host = create();
    ASSERT_NE(nullptr, host);
    Wv2StubSnapshot s;
    ASSERT_EQ(0, local_stub().snapshot(host->webWindow, &s));
    DWORD ui_thread = host->uiThreadId;
    std::string hidden = class_name('d', host);
    DestroyWindow(parent); // the plug-in host closes its window before the editor
    parent = nullptr;
    ASSERT_TRUE(pump_until([&] { return thread_ended(ui_thread, 0); }, 5000));
    EXPECT_FALSE(folder_exists(s.userDataFolder));
    EXPECT_LT(webview::setParameter(host, 1, 1.0f), 0);
    webview::destroy(host);
    EXPECT_FALSE(class_registered(hidden));
    expect_nothing_left();
}

TEST_F(LifecycleTest, TwoHostsGetTheirOwnClassesAndFolders) {
    TestModule second = module;
    WebViewHost* a = create();
    WebViewCallbacks cb = second.callbacks();
    WebViewHost* b = webview::create(false, parent, &cb, nullptr, 700, 677, 36);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    Wv2StubSnapshot sa, sb;
    ASSERT_EQ(0, local_stub().snapshot(a->webWindow, &sa));
    ASSERT_EQ(0, local_stub().snapshot(b->webWindow, &sb));
    EXPECT_STRNE(sa.userDataFolder, sb.userDataFolder);
    EXPECT_NE(class_name('c', a), class_name('c', b));
    EXPECT_NE(class_name('d', a), class_name('d', b));
    EXPECT_TRUE(folder_exists(sa.userDataFolder));
    EXPECT_TRUE(folder_exists(sb.userDataFolder));
    webview::destroy(a);
    EXPECT_FALSE(folder_exists(sa.userDataFolder));
    EXPECT_TRUE(folder_exists(sb.userDataFolder)); // the other editor keeps its own
    webview::destroy(b);
    EXPECT_FALSE(folder_exists(sb.userDataFolder));
    expect_nothing_left();
}

TEST_F(LifecycleTest, EveryFailingStartUpStepReturnsNullAndLeavesNothing) {
    for (int step = kWv2StepCreateCall; step < kWv2StepCount; ++step) {
        SCOPED_TRACE(step);
        local_stub().configure(step, 6, 1);
        EXPECT_EQ(nullptr, create());
        wchar_t folder[MAX_PATH];
        char web_class[64];
        local_stub().last_start(folder, MAX_PATH, web_class, sizeof web_class);
        ASSERT_EQ('c', web_class[0]);
        EXPECT_FALSE(class_registered(web_class));
        EXPECT_FALSE(class_registered(std::string("d") + (web_class + 1)));
        EXPECT_FALSE(folder_exists(folder));
        DWORD ui_thread = local_stub().last_thread();
        EXPECT_NE(GetCurrentThreadId(), ui_thread);
        EXPECT_TRUE(thread_ended(ui_thread, 5000));
        EXPECT_EQ(0, temp_entries());
        EXPECT_EQ(baseline_objects, local_stub().live_objects());
    }
}

TEST_F(LifecycleTest, MissingLoaderOrBadWebRootReturnsNull) {
    module.loaderFolder = exe_folder() + "\\no-such-folder";
    EXPECT_EQ(nullptr, create());
    expect_nothing_left(true);

    module.loaderFolder = exe_folder();
    module.webRoot = exe_folder() + "\\bad\xff\xfe"; // not UTF-8
    EXPECT_EQ(nullptr, create());
    expect_nothing_left(true);
}

TEST_F(LifecycleTest, OlderRuntimeWithoutNewestSettingsStillStarts) {
    local_stub().configure(kWv2StepNone, 5, 0);
    WebViewHost* host = create();
    ASSERT_NE(nullptr, host);
    Wv2StubSnapshot s;
    ASSERT_EQ(0, local_stub().snapshot(host->webWindow, &s));
    EXPECT_EQ(0, s.pinch_zoom);
    EXPECT_EQ(-1, s.swipe_navigation);    // ICoreWebView2Settings6 not offered
    EXPECT_EQ(-1, s.allow_external_drop); // ICoreWebView2Controller4 not offered
    EXPECT_EQ(1, s.script_enabled);
    webview::destroy(host);
    expect_nothing_left();
}

TEST_F(LifecycleTest, ModuleUnderNonAsciiFolderFindsLoaderAndPage) {
    std::wstring folder = temp_folder() + L"\\\u03a9k\u00e4 w\u00e4h";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL));
    std::wstring exe(MAX_PATH, 0);
    exe.resize(GetModuleFileNameW(NULL, &exe[0], MAX_PATH));
    std::wstring dll = exe.substr(0, exe.find_last_of(L'\\')) + L"\\WebView2Loader.dll";
    ASSERT_TRUE(CopyFileW(dll.c_str(), (folder + L"\\WebView2Loader.dll").c_str(), FALSE));
    char utf8[MAX_PATH * 3];
    int n = WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), -1, utf8, sizeof utf8, NULL, NULL);
    ASSERT_GT(n, 0);
    module.loaderFolder = utf8;
    module.webRoot = utf8;
    WebViewHost* host = create();
    ASSERT_NE(nullptr, host);
    StubHooks copy;
    ASSERT_TRUE(copy.load(host->loaderModule));
    Wv2StubSnapshot s;
    ASSERT_EQ(0, copy.snapshot(host->webWindow, &s));
    EXPECT_EQ(folder + L"\\index.html", s.navigated_to);
    webview::destroy(host);
    DeleteFileW((folder + L"\\WebView2Loader.dll").c_str());
    RemoveDirectoryW(folder.c_str());
    EXPECT_EQ(0, temp_entries());
}

} // namespace
