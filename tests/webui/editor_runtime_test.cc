// Both modules' editors open through the installed WebView2 runtime when no
// WebView2Loader.dll lies beside them: the modules are the bundles' own
// binaries, the runtime is the stand-in client library installed in the
// Wine prefix and registered as the runtime's installer registers it.
#include "tests/webui/runtime_fixture.h"

#include "engine/parameter_table.h"

namespace {

// Whether a file of the build tree (a Unix path, ASCII) exists.
bool fileThere(const std::string& unixPath) {
    std::string windows = windowsFolder(unixPath.c_str());
    return fileExists(std::wstring(windows.begin(), windows.end() - 1));
}

TEST_F(RuntimeTest, BundlesAsShippedOpenTheirEditorsAndThePageTalksBothWays) {
    const std::string vst3Module = OKA_VST3_MODULE_PATH;
    EXPECT_TRUE(fileThere(vst3Module));
    EXPECT_FALSE(fileThere(vst3Module.substr(0, vst3Module.rfind('/')) + "/WebView2Loader.dll"));
    EXPECT_FALSE(fileThere(std::string(OKA_LV2_BUNDLE_PATH) + "/WebView2Loader.dll"));
    std::wstring client = fakeClientPath(installRegistered(L"stable", L"131.0.2903.86"));
    int threads = threadCount();

    ASSERT_EQ(kResultOk, vst3_.attach(parent_));
    WebViewHost* vst3Host = vst3_.host();
    EXPECT_EQ(client, modulePath(vst3Host->loaderModule));
    StubHooks stub;
    ASSERT_TRUE(stub.load(vst3Host->loaderModule));
    EXPECT_EQ(kParameterCount, valuePosts(stub, vst3Host).size()) << "every value reached the page";
    wchar_t gesture[40];
    swprintf(gesture, 40, L"b %x %08x", kMix, bitsOf(30.0f));
    ASSERT_EQ(0, stub.postPageMessage(vst3Host->webWindow, gesture, 1));
    ASSERT_TRUE(pumpUntil([&] { return vst3_.handler.edits.size() >= 2; }));
    EXPECT_EQ('b', vst3_.handler.edits[0].kind);
    EXPECT_EQ(kParameterDescriptions[kMix].param_id, vst3_.handler.edits[0].id);
    // The runtime's process failure ends the gesture the page left open.
    ASSERT_EQ(0, stub.processFailed(vst3Host->webWindow));
    ASSERT_TRUE(pumpUntil([&] { return vst3_.handler.edits.size() >= 4; }));
    EXPECT_EQ('e', vst3_.handler.edits[3].kind);

    ASSERT_NE(nullptr, lv2_.open(OKA_LV2_BUNDLE_PATH, parent_));
    WebViewHost* lv2Host = lv2_.host();
    EXPECT_EQ((LV2UI_Widget)lv2Host->webWindow, lv2_.widget);
    EXPECT_EQ(vst3Host->loaderModule, lv2Host->loaderModule) << "one runtime for both";
    float lfoPhase = 0.25f;
    lv2_.descriptor->port_event(lv2_.uis.back(), 36, 4, 0, &lfoPhase);
    auto shown = valuePosts(stub, lv2Host);
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(std::make_pair((uint32_t)kLfoPhase, bitsOf(0.25f)), shown[0]);
    ASSERT_EQ(0, stub.postPageMessage(lv2Host->webWindow, gesture, 1));
    ASSERT_TRUE(pumpUntil([&] { return !lv2_.writes.empty(); }));
    EXPECT_EQ(kMix + 3u, lv2_.writes[0].port);
    EXPECT_EQ(30.0f, lv2_.writes[0].value);

    // The VST3 editor closes while the LV2 editor's objects still live: its
    // module keeps its reference to the runtime until one of its own editors
    // closes and finds the runtime idle.
    vst3_.closeAll();
    lv2_.closeAll();
    EXPECT_EQ(threads, threadCount());
    EXPECT_EQ(0, tempEntries());
    EXPECT_TRUE(libraryLoaded(client));
    ASSERT_EQ(kResultOk, vst3_.attach(parent_));
    vst3_.closeAll();
    EXPECT_FALSE(libraryLoaded(client)) << "every reference given back";
}

// Exactly what Microsoft's loader would hand the runtime for us.
TEST_F(RuntimeTest, RuntimeEntryGetsTheLoadersArguments) {
    std::wstring client = fakeClientPath(installRegistered(L"stable", L"131.0.2903.86"));
    FakeRuntime fake;
    ASSERT_TRUE(fake.load(client));
    for (bool vst3 : {true, false}) {
        int callsBefore = fake.call().calls;
        WebViewHost* host = nullptr;
        vst3_.closeAll();
        if (vst3) {
            ASSERT_EQ(kResultOk, vst3_.attach(parent_));
            host = vst3_.host();
        } else {
            ASSERT_NE(nullptr, lv2_.open(OKA_LV2_BUNDLE_PATH, nullptr));
            host = lv2_.host();
        }
        Wv2StubClientCall call = fake.call();
        EXPECT_EQ(callsBefore + 1, call.calls);
        EXPECT_EQ(1, call.checkRunningInstance) << "true, as a one-byte bool";
        EXPECT_EQ(0, call.runtimeType) << "an installed runtime";
        wchar_t folder[MAX_PATH];
        char windowClass[64];
        fake.hooks.lastStart(folder, MAX_PATH, windowClass, sizeof windowClass);
        std::wstring ours = tempFolder() + L"\\vin"; // the first three letters of "vino"
        EXPECT_EQ(0, wcsncmp(call.userDataFolder, ours.c_str(), ours.size())) << "our folder";
        EXPECT_STREQ(folder, call.userDataFolder);
        EXPECT_TRUE(folderExists(call.userDataFolder));
        EXPECT_EQ(1, call.optionsIsIdentity);
        EXPECT_EQ(1, call.optionsAnswers);
        EXPECT_EQ(1, call.handlerAnswers);
        Wv2StubSnapshot snap = {};
        ASSERT_EQ(0, fake.hooks.snapshot(host->webWindow, &snap));
        EXPECT_STREQ(L"--allow-file-access-from-files", snap.additionalArguments);
        EXPECT_STREQ(L"131.0.2903.40", snap.targetVersion);
    }
    vst3_.closeAll();
    lv2_.closeAll();
    fake.release();
    EXPECT_FALSE(libraryLoaded(client));
}

// The runtime library both modules' editors use, one after the other.
std::wstring runtimeOfBoth(Vst3Editors& vst3, Lv2Editors& lv2, HWND parent) {
    std::wstring used = L"<no VST3 editor>";
    if (vst3.attach(parent) == kResultOk)
        used = modulePath(vst3.host()->loaderModule);
    vst3.closeAll();
    if (!lv2.open(OKA_LV2_BUNDLE_PATH, parent))
        used = L"<no LV2 editor>";
    else if (modulePath(lv2.host()->loaderModule) != used)
        used = L"<the modules disagree>";
    lv2.closeAll();
    return used;
}

TEST_F(RuntimeTest, PerMachineInstallWinsOverPerUserInstall) {
    std::wstring machine = installRegistered(L"machine", L"131.0.2903.86");
    std::wstring user = installRegistered(L"user", L"132.0.2957.115", RegistryRoot::kUser);
    EXPECT_EQ(fakeClientPath(machine), runtimeOfBoth(vst3_, lv2_, parent_));

    // A per-machine value naming no runtime leaves the per-user install.
    ASSERT_TRUE(registerRuntime(RegistryRoot::kMachine, L"C:\\oka-test-runtimes\\gone\\"
                                                        L"131.0.2903.86"));
    EXPECT_EQ(fakeClientPath(user), runtimeOfBoth(vst3_, lv2_, parent_));
    unregisterRuntime(RegistryRoot::kMachine);
    EXPECT_EQ(fakeClientPath(user), runtimeOfBoth(vst3_, lv2_, parent_));
}

// A per-user install below a profile folder with any name, registered with a
// trailing backslash; and the oldest build accepted.
TEST_F(RuntimeTest, NonAsciiInstallFolderAndOldestAcceptedBuild) {
    std::wstring folder = installFakeRuntime(L"Pr\u00fcfung \u00c5s \u97f3 \u03a9", L"108.0.1462.0",
                                             OKA_FAKE_RUNTIME);
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(registerRuntime(RegistryRoot::kUser, folder + L"\\"));
    EXPECT_EQ(fakeClientPath(folder), runtimeOfBoth(vst3_, lv2_, parent_));
    EXPECT_FALSE(libraryLoaded(fakeClientPath(folder)));
}

// A WebView2Loader.dll beside the module is used as before, registered
// runtime or not.
TEST_F(RuntimeTest, LoaderBesideTheModuleStillComesFirst) {
    std::wstring client = fakeClientPath(installRegistered(L"stable", L"131.0.2903.86"));
    Vst3Editors withLoader;
    ASSERT_TRUE(withLoader.load(OKA_VST3_LOADER_MODULE_PATH));
    ASSERT_EQ(kResultOk, withLoader.attach(parent_));
    std::wstring used = modulePath(withLoader.host()->loaderModule);
    EXPECT_EQ(L"\\WebView2Loader.dll", used.substr(used.find_last_of(L'\\')));
    EXPECT_FALSE(libraryLoaded(client));
    withLoader.unload();

    ASSERT_NE(nullptr, lv2_.open(OKA_LV2_LOADER_BUNDLE, parent_));
    used = modulePath(lv2_.host()->loaderModule);
    EXPECT_EQ(L"\\WebView2Loader.dll", used.substr(used.find_last_of(L'\\')));
    EXPECT_FALSE(libraryLoaded(client));
}

} // namespace
