// Creation and destruction of the web view host against the stand-in
// WebView2: what the page gets, what is left behind, and every way start-up
// can fail.
#include "tests/webui/web_view_fixture.h"

#include <stdio.h>

#include <gtest/gtest.h>

namespace {

std::string className(char prefix, const WebViewHost* host) {
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
        warm.loaderFolder = warm.webRoot = exeFolder();
        WebViewCallbacks cb = warm.callbacks();
        HWND parent = makeParentWindow();
        WebViewHost* host = webview::create(true, parent, &cb, nullptr, 700, 677, 36);
        if (host)
            webview::destroy(host);
        DestroyWindow(parent);
    }
    void SetUp() override {
        ASSERT_TRUE(localStub().configure) << "stand-in WebView2Loader.dll not found";
        localStub().configure(kWv2StepNone, 6, 1);
        module.loaderFolder = exeFolder();
        module.webRoot = exeFolder();
        parent = makeParentWindow();
        baselineThreads = threadCount();
        baselineObjects = localStub().liveObjects();
    }
    void TearDown() override {
        localStub().configure(kWv2StepNone, 6, 1);
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
    void expectNothingLeft(bool countThreads = false) {
        if (countThreads) {
            EXPECT_TRUE(pumpUntil([&] { return threadCount() <= baselineThreads; }, 5000))
                << threadCount() << " threads, " << baselineThreads << " before";
        }
        EXPECT_EQ(0, tempEntries());
        EXPECT_EQ(baselineObjects, localStub().liveObjects());
    }
    TestModule module;
    HWND parent = nullptr;
    int baselineThreads = 0;
    int baselineObjects = 0;
};

TEST_F(LifecycleTest, CreateStartsThePageAndDestroyRemovesEverything) {
    WebViewHost* host = create();
    ASSERT_NE(nullptr, host);
    ASSERT_TRUE(IsWindow(host->webWindow));
    EXPECT_EQ(parent, GetAncestor(host->webWindow, GA_PARENT));
    EXPECT_TRUE(GetWindowLongPtrA(host->webWindow, GWL_STYLE) & WS_VISIBLE);

    Wv2StubSnapshot s;
    ASSERT_EQ(0, localStub().snapshot(host->webWindow, &s));
    std::wstring root(module.webRoot.begin(), module.webRoot.end());
    EXPECT_EQ(root + L"\\index.html", s.navigatedTo);
    EXPECT_STREQ(L"--allow-file-access-from-files", s.additionalArguments);
    EXPECT_STREQ(L"131.0.2903.40", s.targetVersion);
    EXPECT_TRUE(s.optionsInterface7Asked);
    EXPECT_EQ(1, s.scriptEnabled);
    EXPECT_EQ(1, s.hostObjects);
    for (int off : {s.contextMenus, s.devTools, s.statusBar, s.zoomControl, s.scriptDialogs,
                    s.acceleratorKeys, s.passwordAutosave, s.generalAutofill, s.pinchZoom,
                    s.swipeNavigation, s.allowExternalDrop})
        EXPECT_EQ(0, off);
    EXPECT_EQ(1, s.visible);
    EXPECT_EQ(4, s.handlersRegistered);
    RECT client;
    GetClientRect(host->webWindow, &client);
    EXPECT_EQ(client.right, s.bounds.right);
    EXPECT_EQ(client.bottom, s.bounds.bottom);

    // The user-data folder lives beside no temporary file while the editor is open.
    std::wstring folder = s.userDataFolder;
    // GetTempFileNameW keeps the first three letters of "vino".
    EXPECT_EQ(0u, folder.find(tempFolder() + L"\\vin")) << folder << " in " << tempFolder();
    EXPECT_TRUE(folderExists(folder));
    EXPECT_FALSE(fileExists(folder + L".tmp"));
    EXPECT_EQ(1, tempEntries());

    std::string web = className('c', host), hidden = className('d', host);
    EXPECT_TRUE(classRegistered(web));
    EXPECT_TRUE(classRegistered(hidden));

    DWORD uiThread = host->uiThreadId;
    webview::destroy(host);
    EXPECT_TRUE(threadEnded(uiThread, 0));
    EXPECT_FALSE(folderExists(folder));
    EXPECT_FALSE(classRegistered(web));
    EXPECT_FALSE(classRegistered(hidden));
    expectNothingLeft();
}

TEST_F(LifecycleTest, ResizingTheWebWindowFitsTheWebView) {
    WebViewHost* host = create();
    ASSERT_NE(nullptr, host);
    SetWindowPos(host->webWindow, NULL, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    Wv2StubSnapshot s;
    ASSERT_EQ(0, localStub().snapshot(host->webWindow, &s));
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
    ASSERT_EQ(0, localStub().snapshot(host->webWindow, &s));
    DWORD uiThread = host->uiThreadId;
    std::string hidden = className('d', host);
    DestroyWindow(parent); // the plug-in host closes its window before the editor
    parent = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return threadEnded(uiThread, 0); }, 5000));
    EXPECT_FALSE(folderExists(s.userDataFolder));
    EXPECT_LT(webview::setParameter(host, 1, 1.0f), 0);
    webview::destroy(host);
    EXPECT_FALSE(classRegistered(hidden));
    expectNothingLeft();
}

TEST_F(LifecycleTest, TwoHostsGetTheirOwnClassesAndFolders) {
    TestModule second = module;
    WebViewHost* a = create();
    WebViewCallbacks cb = second.callbacks();
    WebViewHost* b = webview::create(false, parent, &cb, nullptr, 700, 677, 36);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    Wv2StubSnapshot sa, sb;
    ASSERT_EQ(0, localStub().snapshot(a->webWindow, &sa));
    ASSERT_EQ(0, localStub().snapshot(b->webWindow, &sb));
    EXPECT_STRNE(sa.userDataFolder, sb.userDataFolder);
    EXPECT_NE(className('c', a), className('c', b));
    EXPECT_NE(className('d', a), className('d', b));
    EXPECT_TRUE(folderExists(sa.userDataFolder));
    EXPECT_TRUE(folderExists(sb.userDataFolder));
    webview::destroy(a);
    EXPECT_FALSE(folderExists(sa.userDataFolder));
    EXPECT_TRUE(folderExists(sb.userDataFolder)); // the other editor keeps its own
    webview::destroy(b);
    EXPECT_FALSE(folderExists(sb.userDataFolder));
    expectNothingLeft();
}

TEST_F(LifecycleTest, EveryFailingStartUpStepReturnsNullAndLeavesNothing) {
    for (int step = kWv2StepCreateCall; step < kWv2StepCount; ++step) {
        SCOPED_TRACE(step);
        localStub().configure(step, 6, 1);
        EXPECT_EQ(nullptr, create());
        wchar_t folder[MAX_PATH];
        char webClass[64];
        localStub().lastStart(folder, MAX_PATH, webClass, sizeof webClass);
        ASSERT_EQ('c', webClass[0]);
        EXPECT_FALSE(classRegistered(webClass));
        EXPECT_FALSE(classRegistered(std::string("d") + (webClass + 1)));
        EXPECT_FALSE(folderExists(folder));
        DWORD uiThread = localStub().lastThread();
        EXPECT_NE(GetCurrentThreadId(), uiThread);
        EXPECT_TRUE(threadEnded(uiThread, 5000));
        EXPECT_EQ(0, tempEntries());
        EXPECT_EQ(baselineObjects, localStub().liveObjects());
    }
}

TEST_F(LifecycleTest, MissingLoaderOrBadWebRootReturnsNull) {
    module.loaderFolder = exeFolder() + "\\no-such-folder";
    EXPECT_EQ(nullptr, create());
    expectNothingLeft(true);

    module.loaderFolder = exeFolder();
    module.webRoot = exeFolder() + "\\bad\xff\xfe"; // not UTF-8
    EXPECT_EQ(nullptr, create());
    expectNothingLeft(true);
}

TEST_F(LifecycleTest, OlderRuntimeWithoutNewestSettingsStillStarts) {
    localStub().configure(kWv2StepNone, 5, 0);
    WebViewHost* host = create();
    ASSERT_NE(nullptr, host);
    Wv2StubSnapshot s;
    ASSERT_EQ(0, localStub().snapshot(host->webWindow, &s));
    EXPECT_EQ(0, s.pinchZoom);
    EXPECT_EQ(-1, s.swipeNavigation);   // ICoreWebView2Settings6 not offered
    EXPECT_EQ(-1, s.allowExternalDrop); // ICoreWebView2Controller4 not offered
    EXPECT_EQ(1, s.scriptEnabled);
    webview::destroy(host);
    expectNothingLeft();
}

TEST_F(LifecycleTest, ModuleUnderNonAsciiFolderFindsLoaderAndPage) {
    std::wstring folder = tempFolder() + L"\\\u03a9k\u00e4 w\u00e4h";
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
    EXPECT_EQ(folder + L"\\index.html", s.navigatedTo);
    webview::destroy(host);
    DeleteFileW((folder + L"\\WebView2Loader.dll").c_str());
    RemoveDirectoryW(folder.c_str());
    EXPECT_EQ(0, tempEntries());
}

} // namespace
