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
    std::vector<RecordedEdit> edits; // written on the host thread only
    std::function<void(TestModule*, const RecordedEdit&)> on_edit; // e.g. echo
    WebViewCallbacks callbacks();
};

struct StubHooks {
    Wv2StubConfigureFn configure;
    Wv2StubPostFn post_page_message;
    Wv2StubNavigateFn navigate;
    Wv2StubProcessFailedFn process_failed;
    Wv2StubPageMessageFn page_message;
    Wv2StubResultFn result;
    Wv2StubSnapshotFn snapshot;
    Wv2StubLiveFn live_objects;
    Wv2StubHandlerFn message_handler;
    Wv2StubLastStartFn last_start;
    Wv2StubLastThreadFn last_thread;
    bool load(HMODULE module);
};

// The test program's own folder (where the stand-in DLL lies), UTF-8.
std::string exe_folder();
// Hooks of the stand-in next to the test program (loaded once, kept loaded).
StubHooks& local_stub();

// Runs the host thread's messages until `done` or the time-out; returns done().
bool pump_until(const std::function<bool()>& done, DWORD timeout_ms = 20000);

// Messages the stand-in saw posted to the page of `host`.
std::vector<std::wstring> page_posts(const StubHooks& stub, WebViewHost* host);
std::wstring value_message(uint32_t index, float value);
uint32_t bits_of(float value);

// Threads of this process right now.
int thread_count();
// True when thread `id` has ended (or is unknown), waiting up to `ms`.
bool thread_ended(DWORD id, DWORD ms);
// Entries in the private temporary folder the tests run with.
int temp_entries();
std::wstring temp_folder();
bool folder_exists(const std::wstring& path);
bool file_exists(const std::wstring& path);
bool class_registered(const std::string& name);

// A top-level window of the host thread, standing in for the host's parent.
HWND make_parent_window();
