// Shared pieces of the web view host tests under Wine: a recording module,
// the stand-in's hooks, message pumping on the host thread, and a private
// temporary folder so leftovers can be counted exactly.
#pragma once

#include "tests/support/webview2/wv2_stub_hooks.h"
#include "webui/web_view_host.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct RecordedEdit {
    int kind; // 0 begin, 1 set, 2 end
    uint32_t index;
    uint32_t bits;
    DWORD thread;
};

// Plays the module: gives the folders and records the edit callbacks.
struct TestModule {
    std::string loaderFolder;
    std::string webRoot;
    WebViewHost* host = nullptr;
    std::vector<RecordedEdit> edits;                              // written on the host thread only
    std::function<void(TestModule*, const RecordedEdit&)> onEdit; // e.g. echo
    WebViewCallbacks callbacks();
};

struct StubHooks {
    Wv2StubConfigureFn configure;
    Wv2StubPostFn postPageMessage;
    Wv2StubNavigateFn navigate;
    Wv2StubProcessFailedFn processFailed;
    Wv2StubPageMessageFn pageMessage;
    Wv2StubResultFn result;
    Wv2StubSnapshotFn snapshot;
    Wv2StubLiveFn liveObjects;
    Wv2StubHandlerFn messageHandler;
    Wv2StubLastStartFn lastStart;
    Wv2StubLastThreadFn lastThread;
    bool load(HMODULE module);
};

// The test program's own folder (where the stand-in DLL lies), UTF-8.
std::string exeFolder();
// Hooks of the stand-in next to the test program (loaded once, kept loaded).
StubHooks& localStub();

// Runs the host thread's messages until `done` or the time-out; returns done().
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000);

// Messages the stand-in saw posted to the page of `host`.
std::vector<std::wstring> pagePosts(const StubHooks& stub, WebViewHost* host);
std::wstring valueMessage(uint32_t index, float value);
uint32_t bitsOf(float value);

// Threads of this process right now.
int threadCount();
// True when thread `id` has ended (or is unknown), waiting up to `ms`.
bool threadEnded(DWORD id, DWORD ms);
// Entries in the private temporary folder the tests run with.
int tempEntries();
std::wstring tempFolder();
bool folderExists(const std::wstring& path);
bool fileExists(const std::wstring& path);
bool classRegistered(const std::string& name);

// A top-level window of the host thread, standing in for the host's parent.
HWND makeParentWindow();
