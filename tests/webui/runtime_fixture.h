// Fixture of the runtime finder tests: both modules' editors, a parent
// window, no runtime registered or installed before and after each test,
// and the stand-in runtime loaded by the test itself where it must be set
// up before a host loads it.
#pragma once

#include <gtest/gtest.h>

#include "tests/webui/editor_openers.h"
#include "tests/webui/fake_runtime.h"

// The stand-in runtime's client library as the test holds it.
struct FakeRuntime {
    bool load(const std::wstring& clientPath) {
        module = LoadLibraryW(clientPath.c_str());
        clientCall = (Wv2StubClientCallFn)(void (*)())GetProcAddress(module, "wv2stub_client_call");
        holdUnload = (Wv2StubHoldUnloadFn)(void (*)())GetProcAddress(module, "wv2stub_hold_unload");
        unanswered = (Wv2StubLiveFn)(void (*)())GetProcAddress(module, "wv2stub_unanswered");
        return module && hooks.load(module) && clientCall && holdUnload && unanswered;
    }
    // Gives the test's reference back (the host's are its own business).
    void release() {
        if (module)
            FreeLibrary(module);
        module = NULL;
    }
    Wv2StubClientCall call() {
        Wv2StubClientCall c = {};
        clientCall(&c);
        return c;
    }
    HMODULE module = NULL;
    StubHooks hooks{};
    Wv2StubClientCallFn clientCall = nullptr;
    Wv2StubHoldUnloadFn holdUnload = nullptr;
    Wv2StubLiveFn unanswered = nullptr;
};

class RuntimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clearFakeRuntimes();
        parent_ = makeParentWindow();
        ASSERT_NE(nullptr, parent_);
        ASSERT_TRUE(vst3_.load(OKA_VST3_MODULE_PATH)) << OKA_VST3_MODULE_PATH;
        ASSERT_TRUE(lv2_.load(OKA_LV2_MODULE_PATH)) << OKA_LV2_MODULE_PATH;
    }
    void TearDown() override {
        vst3_.unload();
        lv2_.unload();
        DestroyWindow(parent_);
        clearFakeRuntimes();
    }
    // The stand-in installed under `name` at `version`, registered under
    // `root`; returns its version folder.
    std::wstring installRegistered(const std::wstring& name, const std::wstring& version,
                                   RegistryRoot root = RegistryRoot::kMachine,
                                   const char* library = OKA_FAKE_RUNTIME) {
        std::wstring folder = installFakeRuntime(name, version, library);
        EXPECT_FALSE(folder.empty()) << "install of " << library;
        EXPECT_TRUE(registerRuntime(root, folder));
        return folder;
    }

    HWND parent_ = nullptr;
    Vst3Editors vst3_;
    Lv2Editors lv2_;
};
