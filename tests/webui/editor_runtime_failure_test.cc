// Where neither a loader nor a usable runtime is found, neither module opens
// its editor, nothing is left behind (thread, user-data folder, window
// class, loaded library) and the host goes on: the same process opens an
// editor as soon as a runtime is there.
#include "tests/webui/runtime_fixture.h"

#include <thread>

namespace {

class RuntimeFailureTest : public RuntimeTest {
  protected:
    // Both editors fail to open and leave nothing running or on disk.
    void expectNoEditor(const char* what) {
        int threads = threadCount();
        EXPECT_EQ(kResultFalse, vst3_.attach(parent_)) << what;
        EXPECT_EQ(nullptr, vst3_.host()) << what;
        EXPECT_EQ(nullptr, lv2_.open(OKA_LV2_BUNDLE_PATH, parent_)) << what;
        EXPECT_EQ(nullptr, lv2_.widget) << what;
        EXPECT_EQ(threads, threadCount()) << what;
        EXPECT_EQ(0, tempEntries()) << what;
        vst3_.closeAll();
    }
    // The web window class of the latest start, which must be gone.
    void expectClassGone(FakeRuntime& fake, const char* what) {
        wchar_t folder[MAX_PATH];
        char windowClass[64] = {};
        fake.hooks.lastStart(folder, MAX_PATH, windowClass, sizeof windowClass);
        EXPECT_NE(0, windowClass[0]) << what << ": the web window existed";
        EXPECT_FALSE(classRegistered(windowClass)) << what;
    }
    void expectEditorsOpenAgain() {
        std::wstring client = fakeClientPath(installRegistered(L"good", L"131.0.2903.86"));
        EXPECT_EQ(kResultOk, vst3_.attach(parent_));
        vst3_.closeAll();
        EXPECT_NE(nullptr, lv2_.open(OKA_LV2_BUNDLE_PATH, parent_));
        lv2_.closeAll();
        EXPECT_FALSE(libraryLoaded(client));
    }
};

TEST_F(RuntimeFailureTest, NoUsableRuntimeRegistered) {
    expectNoEditor("no key");

    std::wstring gone = L"C:\\oka-test-runtimes\\gone\\131.0.2903.86";
    ASSERT_TRUE(registerRuntime(RegistryRoot::kMachine, gone));
    ASSERT_TRUE(registerRuntime(RegistryRoot::kUser, gone));
    expectNoEditor("a value naming no runtime");
    unregisterRuntime(RegistryRoot::kMachine);
    unregisterRuntime(RegistryRoot::kUser);

    // Real runtimes, but their versions are too old or no versions at all.
    const wchar_t* refused[] = {L"108.0.1461.54", L"131.0.abc.86", L"131.0.2903",
                                L"131.0.2903.86.1", L"EBWebView"};
    for (const wchar_t* version : refused) {
        std::wstring folder = installRegistered(version, version);
        std::string what(version, version + wcslen(version));
        expectNoEditor(what.c_str());
        EXPECT_FALSE(libraryLoaded(fakeClientPath(folder))) << what;
    }
    unregisterRuntime(RegistryRoot::kMachine);

    // Per-machine installs are read in the 32-bit view, where they lie.
    std::wstring folder = installFakeRuntime(L"64", L"131.0.2903.86", OKA_FAKE_RUNTIME);
    ASSERT_TRUE(registerRuntime(RegistryRoot::kMachine, folder, true));
    expectNoEditor("registered in the 64-bit view only");

    expectEditorsOpenAgain();
}

TEST_F(RuntimeFailureTest, LibraryWithoutTheEntryIsGivenBack) {
    std::wstring client = fakeClientPath(installRegistered(
        L"no-entry", L"131.0.2903.86", RegistryRoot::kMachine, OKA_FAKE_NO_ENTRY));
    expectNoEditor("library without the entry");
    EXPECT_FALSE(libraryLoaded(client));
    expectEditorsOpenAgain();
}

TEST_F(RuntimeFailureTest, EntryFailingAtOnceLeavesNothing) {
    std::wstring client = fakeClientPath(installRegistered(L"failing", L"131.0.2903.86"));
    FakeRuntime fake;
    ASSERT_TRUE(fake.load(client));
    int calls = fake.call().calls;
    fake.hooks.configure(kWv2StepCreateCall, 6, 1);
    expectNoEditor("entry failing at once");
    EXPECT_EQ(calls + 2, fake.call().calls);
    expectClassGone(fake, "entry failing at once");
    EXPECT_EQ(0, fake.hooks.liveObjects());
    fake.hooks.configure(kWv2StepNone, 6, 1);
    fake.release();
    EXPECT_FALSE(libraryLoaded(client)) << "nothing made through it lives";
    expectEditorsOpenAgain();
}

// While the runtime says objects it made live, its library must stay; the
// next editor of each module to close finds it idle and gives it back.
TEST_F(RuntimeFailureTest, RuntimeStaysLoadedWhileItsObjectsLive) {
    std::wstring client = fakeClientPath(installRegistered(L"busy", L"131.0.2903.86"));
    FakeRuntime fake;
    ASSERT_TRUE(fake.load(client));
    int asked = fake.call().unloadAsked;
    fake.hooks.configure(kWv2StepCreateCall, 6, 1);
    fake.holdUnload(1);
    expectNoEditor("entry failing while the runtime is busy");
    EXPECT_LE(asked + 2, fake.call().unloadAsked) << "each host asked";
    fake.hooks.configure(kWv2StepNone, 6, 1);
    fake.holdUnload(0);
    fake.release();
    EXPECT_TRUE(libraryLoaded(client)) << "the hosts kept their references";
    expectEditorsOpenAgain();
    EXPECT_FALSE(libraryLoaded(client));
}

// WebView2 takes the request and never answers: after its time-out the host
// gets no editor and its thread back. Both modules wait at the same time.
TEST_F(RuntimeFailureTest, EntryNeverAnsweringTimesOut) {
    std::wstring client = fakeClientPath(installRegistered(L"silent", L"131.0.2903.86"));
    FakeRuntime fake;
    ASSERT_TRUE(fake.load(client));
    int calls = fake.call().calls;
    fake.hooks.configure(kWv2StepNeverComplete, 6, 1);
    int threads = threadCount();
    DWORD start = GetTickCount();
    LV2UI_Handle lv2Ui = (LV2UI_Handle)0x1;
    std::thread lv2Host([&] { lv2Ui = lv2_.open(OKA_LV2_BUNDLE_PATH, nullptr); });
    EXPECT_EQ(kResultFalse, vst3_.attach(parent_));
    lv2Host.join();
    EXPECT_EQ(nullptr, lv2Ui);
    // The deadline is generous: a first start on a slow machine takes seconds.
    EXPECT_GE(GetTickCount() - start, 19000u);
    EXPECT_EQ(threads, threadCount());
    EXPECT_EQ(0, tempEntries());
    EXPECT_EQ(calls + 2, fake.call().calls);
    EXPECT_EQ(0, fake.unanswered()) << "the requests ended with their threads";
    expectClassGone(fake, "entry never answering");
    vst3_.closeAll();
    fake.hooks.configure(kWv2StepNone, 6, 1);
    fake.release();
    // A module whose editor timed out while the other's request was still
    // pending kept its reference; its next editor gives it back.
    expectEditorsOpenAgain();
    EXPECT_FALSE(libraryLoaded(client));
}

} // namespace
