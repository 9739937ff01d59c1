// Test hooks of the stand-in WebView2Loader.dll (extra exports beside
// CreateCoreWebView2EnvironmentWithOptions) and of the stand-in runtime's
// EmbeddedBrowserWebView.dll (beside its entry and DllCanUnloadNow). Tests
// look them up with GetProcAddress on the module the host loaded, so any
// copy of either (also one in a non-ASCII folder) can be driven.
//
// An instance is named by the window the host gave WebView2 as parent (the
// host's web window). All hooks may be called from any thread; whatever they
// trigger runs later on the web view's own thread, as the runtime does.
#pragma once

#include <windows.h>

// Start-up steps the stand-in can make fail (wv2stub_configure).
enum Wv2StubStep {
    kWv2StepNone = 0,
    kWv2StepCreateCall,           // CreateCoreWebView2EnvironmentWithOptions returns E_FAIL
    kWv2StepEnvironmentCompleted, // environment handler gets E_FAIL
    kWv2StepCreateController,     // CreateCoreWebView2Controller returns E_FAIL
    kWv2StepControllerCompleted,  // controller handler gets E_FAIL
    kWv2StepGetCoreWebView2,
    kWv2StepGetSettings,
    kWv2StepScriptEnabled, // put_IsScriptEnabled returns S_FALSE (not S_OK)
    kWv2StepHostObjects,
    kWv2StepPutBounds,
    kWv2StepAddWebMessage,
    kWv2StepAddNavigationStarting,
    kWv2StepAddNewWindow,
    kWv2StepAddProcessFailed,
    kWv2StepNavigate,
    kWv2StepPutIsVisible,
    kWv2StepCount,
    // Not a failing step: the entry accepts the request and never answers
    // it; the request is dropped when the thread that made it ends.
    kWv2StepNeverComplete = kWv2StepCount + 1,
};

// What the stand-in saw of one web view (wv2stub_snapshot).
struct Wv2StubSnapshot {
    wchar_t userDataFolder[MAX_PATH];
    wchar_t additional_arguments[128];
    wchar_t target_version[32];
    wchar_t navigated_to[MAX_PATH];
    int options_interface7_asked;     // the loader's own query, answered E_NOINTERFACE?
    int script_enabled, host_objects; // -1 = never set
    int context_menus, dev_tools, status_bar, zoom_control, script_dialogs;
    int accelerator_keys, password_autosave, general_autofill, pinch_zoom, swipe_navigation;
    int allow_external_drop;
    int visible;
    RECT bounds;
    int closed;
    int handlers_registered; // 4 once message, navigation, new-window and failure are in
};

// What the runtime client library's entry received in its latest call
// (wv2stub_client_call).
struct Wv2StubClientCall {
    int calls;                // entry calls so far
    int checkRunningInstance; // the bool's byte as it arrived
    int runtimeType;
    wchar_t userDataFolder[MAX_PATH];
    int options_is_identity; // the IUnknown given is the options object's own
    int options_answers;     // ... and it answers ICoreWebView2EnvironmentOptions
    int handler_answers;     // the handler answers the environment-completed IID
    int unload_asked;        // DllCanUnloadNow calls so far
};

// One handled event (page message, navigation, new-window request).
struct Wv2StubResult {
    HRESULT hr;  // what the host's handler returned
    int stopped; // navigation cancelled / new window marked handled
};

extern "C" {
typedef void(WINAPI* Wv2StubConfigureFn)(int fail_step, int settings_level, int controller4);
typedef int(WINAPI* Wv2StubPostFn)(HWND parent, const wchar_t* text, int is_string);
typedef int(WINAPI* Wv2StubNavigateFn)(HWND parent, const wchar_t* uri, int newWindow);
typedef int(WINAPI* Wv2StubProcessFailedFn)(HWND parent);
typedef int(WINAPI* Wv2StubPageMessageFn)(HWND parent, int index, wchar_t* out, int capacity);
typedef int(WINAPI* Wv2StubResultFn)(HWND parent, int index, Wv2StubResult* out);
typedef int(WINAPI* Wv2StubSnapshotFn)(HWND parent, Wv2StubSnapshot* out);
typedef int(WINAPI* Wv2StubLiveFn)(void);
typedef void*(WINAPI* Wv2StubHandlerFn)(HWND parent);
typedef DWORD(WINAPI* Wv2StubLastThreadFn)(void);
typedef void(WINAPI* Wv2StubLastStartFn)(wchar_t* folder, int folder_capacity, char* window_class,
                                         int class_capacity);
typedef void(WINAPI* Wv2StubClientCallFn)(Wv2StubClientCall* out);
typedef void(WINAPI* Wv2StubHoldUnloadFn)(int hold);
}
// Export names: "wv2stub_configure" (Wv2StubConfigureFn: applies to web views
// created afterwards; settings_level 1..6 = highest ICoreWebView2SettingsN
// answered), "wv2stub_post_page_message", "wv2stub_navigate",
// "wv2stub_process_failed" (raises the process-failed event; the page itself
// is left as it is, so a test can also play one that lives on),
// "wv2stub_page_message" (returns the count posted to the page so far and
// copies entry `index` when in range), "wv2stub_result" (count, entry),
// "wv2stub_snapshot", "wv2stub_live_objects" (stand-in COM objects alive),
// "wv2stub_message_handler" (the registered web-message handler interface),
// "wv2stub_last_start" (user-data folder and web window class seen by the
// latest environment creation, also a failed one), "wv2stub_last_thread"
// (the thread that made that call), "wv2stub_unanswered" (Wv2StubLiveFn:
// requests kept unanswered). The client library only: "wv2stub_client_call",
// "wv2stub_hold_unload" (DllCanUnloadNow answers S_FALSE while held, as
// with objects alive).
