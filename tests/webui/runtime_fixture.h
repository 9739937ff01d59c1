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
    bool load(const std::wstring& client_path) {
        module = LoadLibraryW(client_path.c_str());
        client_call =
            (Wv2StubClientCallFn)(void (*)())GetProcAddress(module, "wv2stub_client_call");
        hold_unload =
            (Wv2StubHoldUnloadFn)(void (*)())GetProcAddress(module, "wv2stub_hold_unload");
        unanswered = (Wv2StubLiveFn)(void (*)())GetProcAddress(module, "wv2stub_unanswered");
        return module && hooks.load(module) && client_call && hold_unload && unanswered;
    }
    // Gives the test's reference back (the host's are its own business).
    void release() {
        if (module)
            FreeLibrary(module);
        module = NULL;
    }
    Wv2StubClientCall call() {
        Wv2StubClientCall c = {};
        client_call(&c);
        return c;
    }
    HMODULE module = NULL;
    StubHooks hooks{};
    Wv2StubClientCallFn client_call = nullptr;
    Wv2StubHoldUnloadFn hold_unload = nullptr;
    Wv2StubLiveFn unanswered = nullptr;
};

class RuntimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clear_fake_runtimes();
        parent_ = make_parent_window();
        ASSERT_NE(nullptr, parent_);
        ASSERT_TRUE(vst3_.load(OKA_VST3_MODULE_PATH)) << OKA_VST3_MODULE_PATH;
        ASSERT_TRUE(lv2_.load(OKA_LV2_MODULE_PATH)) << OKA_LV2_MODULE_PATH;
    }
    void TearDown() override {
        vst3_.unload();
        lv2_.unload();
        DestroyWindow(parent_);
        clear_fake_runtimes();
    }
    // The stand-in installed under `name` at `version`, registered under
    // `root`; returns its version folder.
    std::wstring install_registered(const std::wstring& name, const std::wstring& version,
                                    RegistryRoot root = RegistryRoot::kMachine,
                                    const char* library = OKA_FAKE_RUNTIME) {
        std::wstring folder = install_fake_runtime(name, version, library);
        EXPECT_FALSE(folder.empty()) << "install of " << library;
        EXPECT_TRUE(register_runtime(root, folder));
        return folder;
    }

    HWND parent_ = nullptr;
    Vst3Editors vst3_;
    Lv2Editors lv2_;
};
