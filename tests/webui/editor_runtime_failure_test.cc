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
    void expect_no_editor(const char* what) {
        int threads = thread_count();
        EXPECT_EQ(kResultFalse, vst3_.attach(parent_)) << what;
        EXPECT_EQ(nullptr, vst3_.host()) << what;
        EXPECT_EQ(nullptr, lv2_.open(OKA_LV2_BUNDLE_PATH, parent_)) << what;
        EXPECT_EQ(nullptr, lv2_.widget) << what;
        EXPECT_EQ(threads, thread_count()) << what;
        EXPECT_EQ(0, temp_entries()) << what;
        vst3_.close_all();
    }
    // The web window class of the latest start, which must be gone.
    void expect_class_gone(FakeRuntime& fake, const char* what) {
        wchar_t folder[MAX_PATH];
        char window_class[64] = {};
        fake.hooks.last_start(folder, MAX_PATH, window_class, sizeof window_class);
        EXPECT_NE(0, window_class[0]) << what << ": the web window existed";
        EXPECT_FALSE(class_registered(window_class)) << what;
    }
    void expect_editors_open_again() {
        std::wstring client = fake_client_path(install_registered(L"good", L"131.0.2903.86"));
        EXPECT_EQ(kResultOk, vst3_.attach(parent_));
        vst3_.close_all();
        EXPECT_NE(nullptr, lv2_.open(OKA_LV2_BUNDLE_PATH, parent_));
        lv2_.close_all();
        EXPECT_FALSE(library_loaded(client));
    }
};

TEST_F(RuntimeFailureTest, NoUsableRuntimeRegistered) {
    expect_no_editor("no key");

    std::wstring gone = L"C:\\oka-test-runtimes\\gone\\131.0.2903.86";
    ASSERT_TRUE(register_runtime(RegistryRoot::kMachine, gone));
    ASSERT_TRUE(register_runtime(RegistryRoot::kUser, gone));
    expect_no_editor("a value naming no runtime");
    unregister_runtime(RegistryRoot::kMachine);
    unregister_runtime(RegistryRoot::kUser);

    // Real runtimes, but their versions are too old or no versions at all.
    const wchar_t* refused[] = {L"108.0.1461.54", L"131.0.abc.86", L"131.0.2903",
                                L"131.0.2903.86.1", L"EBWebView"};
    for (const wchar_t* version : refused) {
        std::wstring folder = install_registered(version, version);
        std::string what(version, version + wcslen(version));
        expect_no_editor(what.c_str());
        EXPECT_FALSE(library_loaded(fake_client_path(folder))) << what;
    }
    unregister_runtime(RegistryRoot::kMachine);

    // Per-machine installs are read in the 32-bit view, where they lie.
    std::wstring folder = install_fake_runtime(L"64", L"131.0.2903.86", OKA_FAKE_RUNTIME);
    ASSERT_TRUE(register_runtime(RegistryRoot::kMachine, folder, true));
    expect_no_editor("registered in the 64-bit view only");

    expect_editors_open_again();
}

TEST_F(RuntimeFailureTest, LibraryWithoutTheEntryIsGivenBack) {
    std::wstring client = fake_client_path(install_registered(
        L"no-entry", L"131.0.2903.86", RegistryRoot::kMachine, OKA_FAKE_NO_ENTRY));
    expect_no_editor("library without the entry");
    EXPECT_FALSE(library_loaded(client));
    expect_editors_open_again();
}

TEST_F(RuntimeFailureTest, EntryFailingAtOnceLeavesNothing) {
    std::wstring client = fake_client_path(install_registered(L"failing", L"131.0.2903.86"));
    FakeRuntime fake;
    ASSERT_TRUE(fake.load(client));
    int calls = fake.call().calls;
    fake.hooks.configure(kWv2StepCreateCall, 6, 1);
    expect_no_editor("entry failing at once");
    EXPECT_EQ(calls + 2, fake.call().calls);
    expect_class_gone(fake, "entry failing at once");
    EXPECT_EQ(0, fake.hooks.live_objects());
    fake.hooks.configure(kWv2StepNone, 6, 1);
    fake.release();
    EXPECT_FALSE(library_loaded(client)) << "nothing made through it lives";
    expect_editors_open_again();
}

// While the runtime says objects it made live, its library must stay; the
// next editor of each module to close finds it idle and gives it back.
TEST_F(RuntimeFailureTest, RuntimeStaysLoadedWhileItsObjectsLive) {
    std::wstring client = fake_client_path(install_registered(L"busy", L"131.0.2903.86"));
    FakeRuntime fake;
    ASSERT_TRUE(fake.load(client));
    int asked = fake.call().unload_asked;
    fake.hooks.configure(kWv2StepCreateCall, 6, 1);
    fake.hold_unload(1);
    expect_no_editor("entry failing while the runtime is busy");
    EXPECT_LE(asked + 2, fake.call().unload_asked) << "each host asked";
    fake.hooks.configure(kWv2StepNone, 6, 1);
    fake.hold_unload(0);
    fake.release();
    EXPECT_TRUE(library_loaded(client)) << "the hosts kept their references";
    expect_editors_open_again();
    EXPECT_FALSE(library_loaded(client));
}

// WebView2 takes the request and never answers: after its time-out the host
// gets no editor and its thread back. Both modules wait at the same time.
TEST_F(RuntimeFailureTest, EntryNeverAnsweringTimesOut) {
    std::wstring client = fake_client_path(install_registered(L"silent", L"131.0.2903.86"));
    FakeRuntime fake;
    ASSERT_TRUE(fake.load(client));
    int calls = fake.call().calls;
    fake.hooks.configure(kWv2StepNeverComplete, 6, 1);
    int threads = thread_count();
    DWORD start = GetTickCount();
    LV2UI_Handle lv2_ui = (LV2UI_Handle)0x1;
    std::thread lv2_host([&] { lv2_ui = lv2_.open(OKA_LV2_BUNDLE_PATH, nullptr); });
    EXPECT_EQ(kResultFalse, vst3_.attach(parent_));
    lv2_host.join();
    EXPECT_EQ(nullptr, lv2_ui);
    // The deadline is generous: a first start on a slow machine takes seconds.
    EXPECT_GE(GetTickCount() - start, 19000u);
    EXPECT_EQ(threads, thread_count());
    EXPECT_EQ(0, temp_entries());
    EXPECT_EQ(calls + 2, fake.call().calls);
    EXPECT_EQ(0, fake.unanswered()) << "the requests ended with their threads";
    expect_class_gone(fake, "entry never answering");
    vst3_.close_all();
    fake.hooks.configure(kWv2StepNone, 6, 1);
    fake.release();
    // A module whose editor timed out while the other's request was still
    // pending kept its reference; its next editor gives it back.
    expect_editors_open_again();
    EXPECT_FALSE(library_loaded(client));
}

} // namespace
