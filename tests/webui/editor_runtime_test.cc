// Both modules' editors open through the installed WebView2 runtime when no
// WebView2Loader.dll lies beside them: the modules are the bundles' own
// binaries, the runtime is the stand-in client library installed in the
// Wine prefix and registered as the runtime's installer registers it.
#include "tests/webui/runtime_fixture.h"

#include "engine/parameter_table.h"

namespace {

// Whether a file of the build tree (a Unix path, ASCII) exists.
bool file_there(const std::string& unix_path) {
    std::string windows = windows_folder(unix_path.c_str());
    return file_exists(std::wstring(windows.begin(), windows.end() - 1));
}

TEST_F(RuntimeTest, BundlesAsShippedOpenTheirEditorsAndThePageTalksBothWays) {
    const std::string vst3_module = OKA_VST3_MODULE_PATH;
    EXPECT_TRUE(file_there(vst3_module));
    EXPECT_FALSE(file_there(vst3_module.substr(0, vst3_module.rfind('/')) + "/WebView2Loader.dll"));
    EXPECT_FALSE(file_there(std::string(OKA_LV2_BUNDLE_PATH) + "/WebView2Loader.dll"));
    std::wstring client = fake_client_path(install_registered(L"stable", L"131.0.2903.86"));
    int threads = thread_count();

    ASSERT_EQ(kResultOk, vst3_.attach(parent_));
    WebViewHost* vst3_host = vst3_.host();
    EXPECT_EQ(client, module_path(vst3_host->loaderModule));
    StubHooks stub;
    ASSERT_TRUE(stub.load(vst3_host->loaderModule));
    EXPECT_EQ(kParameterCount, value_posts(stub, vst3_host).size())
        << "every value reached the page";
    wchar_t gesture[40];
    swprintf(gesture, 40, L"b %x %08x", kMix, bits_of(30.0f));
    ASSERT_EQ(0, stub.post_page_message(vst3_host->webWindow, gesture, 1));
    ASSERT_TRUE(pump_until([&] { return vst3_.handler.edits.size() >= 2; }));
    EXPECT_EQ('b', vst3_.handler.edits[0].kind);
    EXPECT_EQ(kParameterDescriptions[kMix].param_id, vst3_.handler.edits[0].id);
    // The runtime's process failure ends the gesture the page left open.
    ASSERT_EQ(0, stub.process_failed(vst3_host->webWindow));
    ASSERT_TRUE(pump_until([&] { return vst3_.handler.edits.size() >= 4; }));
    EXPECT_EQ('e', vst3_.handler.edits[3].kind);

    ASSERT_NE(nullptr, lv2_.open(OKA_LV2_BUNDLE_PATH, parent_));
    WebViewHost* lv2_host = lv2_.host();
    EXPECT_EQ((LV2UI_Widget)lv2_host->webWindow, lv2_.widget);
    EXPECT_EQ(vst3_host->loaderModule, lv2_host->loaderModule) << "one runtime for both";
    float lfo_phase = 0.25f;
    lv2_.descriptor->port_event(lv2_.uis.back(), 36, 4, 0, &lfo_phase);
    auto shown = value_posts(stub, lv2_host);
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(std::make_pair((uint32_t)kLfoPhase, bits_of(0.25f)), shown[0]);
    ASSERT_EQ(0, stub.post_page_message(lv2_host->webWindow, gesture, 1));
    ASSERT_TRUE(pump_until([&] { return !lv2_.writes.empty(); }));
    EXPECT_EQ(kMix + 3u, lv2_.writes[0].port);
    EXPECT_EQ(30.0f, lv2_.writes[0].value);

    // The VST3 editor closes while the LV2 editor's objects still live: its
    // module keeps its reference to the runtime until one of its own editors
    // closes and finds the runtime idle.
    vst3_.close_all();
    lv2_.close_all();
    EXPECT_EQ(threads, thread_count());
    EXPECT_EQ(0, temp_entries());
    EXPECT_TRUE(library_loaded(client));
    ASSERT_EQ(kResultOk, vst3_.attach(parent_));
    vst3_.close_all();
    EXPECT_FALSE(library_loaded(client)) << "every reference given back";
}

// Exactly what Microsoft's loader would hand the runtime for us.
TEST_F(RuntimeTest, RuntimeEntryGetsTheLoadersArguments) {
    std::wstring client = fake_client_path(install_registered(L"stable", L"131.0.2903.86"));
    FakeRuntime fake;
    ASSERT_TRUE(fake.load(client));
    for (bool vst3 : {true, false}) {
        int calls_before = fake.call().calls;
        WebViewHost* host = nullptr;
        vst3_.close_all();
        if (vst3) {
            ASSERT_EQ(kResultOk, vst3_.attach(parent_));
            host = vst3_.host();
        } else {
            ASSERT_NE(nullptr, lv2_.open(OKA_LV2_BUNDLE_PATH, nullptr));
            host = lv2_.host();
        }
        Wv2StubClientCall call = fake.call();
        EXPECT_EQ(calls_before + 1, call.calls);
        EXPECT_EQ(1, call.checkRunningInstance) << "true, as a one-byte bool";
        EXPECT_EQ(0, call.runtimeType) << "an installed runtime";
        wchar_t folder[MAX_PATH];
        char window_class[64];
        fake.hooks.last_start(folder, MAX_PATH, window_class, sizeof window_class);
        std::wstring ours = temp_folder() + L"\\vin"; // the first three letters of "vino"
        EXPECT_EQ(0, wcsncmp(call.userDataFolder, ours.c_str(), ours.size())) << "our folder";
        EXPECT_STREQ(folder, call.userDataFolder);
        EXPECT_TRUE(folder_exists(call.userDataFolder));
        EXPECT_EQ(1, call.options_is_identity);
        EXPECT_EQ(1, call.options_answers);
        EXPECT_EQ(1, call.handler_answers);
        Wv2StubSnapshot snap = {};
        ASSERT_EQ(0, fake.hooks.snapshot(host->webWindow, &snap));
        EXPECT_STREQ(L"--allow-file-access-from-files", snap.additional_arguments);
        EXPECT_STREQ(L"131.0.2903.40", snap.target_version);
    }
    vst3_.close_all();
    lv2_.close_all();
    fake.release();
    EXPECT_FALSE(library_loaded(client));
}

// The runtime library both modules' editors use, one after the other.
std::wstring runtime_of_both(Vst3Editors& vst3, Lv2Editors& lv2, HWND parent) {
    std::wstring used = L"<no VST3 editor>";
    if (vst3.attach(parent) == kResultOk)
        used = module_path(vst3.host()->loaderModule);
    vst3.close_all();
    if (!lv2.open(OKA_LV2_BUNDLE_PATH, parent))
        used = L"<no LV2 editor>";
    else if (module_path(lv2.host()->loaderModule) != used)
        used = L"<the modules disagree>";
    lv2.close_all();
    return used;
}

TEST_F(RuntimeTest, PerMachineInstallWinsOverPerUserInstall) {
    std::wstring machine = install_registered(L"machine", L"131.0.2903.86");
    std::wstring user = install_registered(L"user", L"132.0.2957.115", RegistryRoot::kUser);
    EXPECT_EQ(fake_client_path(machine), runtime_of_both(vst3_, lv2_, parent_));

    // A per-machine value naming no runtime leaves the per-user install.
    ASSERT_TRUE(register_runtime(RegistryRoot::kMachine, L"C:\\oka-test-runtimes\\gone\\"
                                                         L"131.0.2903.86"));
    EXPECT_EQ(fake_client_path(user), runtime_of_both(vst3_, lv2_, parent_));
    unregister_runtime(RegistryRoot::kMachine);
    EXPECT_EQ(fake_client_path(user), runtime_of_both(vst3_, lv2_, parent_));
}

// A per-user install below a profile folder with any name, registered with a
// trailing backslash; and the oldest build accepted.
TEST_F(RuntimeTest, NonAsciiInstallFolderAndOldestAcceptedBuild) {
    std::wstring folder = install_fake_runtime(L"Pr\u00fcfung \u00c5s \u97f3 \u03a9",
                                               L"108.0.1462.0", OKA_FAKE_RUNTIME);
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(register_runtime(RegistryRoot::kUser, folder + L"\\"));
    EXPECT_EQ(fake_client_path(folder), runtime_of_both(vst3_, lv2_, parent_));
    EXPECT_FALSE(library_loaded(fake_client_path(folder)));
}

// A WebView2Loader.dll beside the module is used as before, registered
// runtime or not.
TEST_F(RuntimeTest, LoaderBesideTheModuleStillComesFirst) {
    std::wstring client = fake_client_path(install_registered(L"stable", L"131.0.2903.86"));
    Vst3Editors with_loader;
    ASSERT_TRUE(with_loader.load(OKA_VST3_LOADER_MODULE_PATH));
    ASSERT_EQ(kResultOk, with_loader.attach(parent_));
    std::wstring used = module_path(with_loader.host()->loaderModule);
    EXPECT_EQ(L"\\WebView2Loader.dll", used.substr(used.find_last_of(L'\\')));
    EXPECT_FALSE(library_loaded(client));
    with_loader.unload();

    ASSERT_NE(nullptr, lv2_.open(OKA_LV2_LOADER_BUNDLE, parent_));
    used = module_path(lv2_.host()->loaderModule);
    EXPECT_EQ(L"\\WebView2Loader.dll", used.substr(used.find_last_of(L'\\')));
    EXPECT_FALSE(library_loaded(client));
}

} // namespace
