// COM objects of the stand-in WebView2: environment, controller (up to
// ICoreWebView2Controller4), web view, settings (up to ICoreWebView2Settings6)
// and event arguments, with the published slot order. Every method a test
// does not need answers E_NOTIMPL. All run on the web view's thread.
#pragma once

#include "tests/support/webview2/wv2_stub_hooks.h"
#include "webui/wv2_api.h"

#include <atomic>
#include <string>
#include <vector>

#define WV2_NOTIMPL(name, params)                                                                  \
    HRESULT STDMETHODCALLTYPE name params override {                                               \
        return E_NOTIMPL;                                                                          \
    }

extern std::atomic<int> g_wv2StubLive;
extern CRITICAL_SECTION g_wv2StubLock; // guards what hooks read across threads

// IUnknown with an atomic count; `answers` says which IIDs the object serves.
#define WV2_STUB_UNKNOWN(Primary)                                                                  \
    std::atomic<ULONG> refs{1};                                                                    \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {                   \
        if (!out)                                                                                  \
            return E_POINTER;                                                                      \
        *out = answers(riid) ? static_cast<Primary*>(this) : NULL;                                 \
        if (!*out)                                                                                 \
            return E_NOINTERFACE;                                                                  \
        AddRef();                                                                                  \
        return S_OK;                                                                               \
    }                                                                                              \
    ULONG STDMETHODCALLTYPE AddRef() override {                                                    \
        return ++refs;                                                                             \
    }                                                                                              \
    ULONG STDMETHODCALLTYPE Release() override {                                                   \
        ULONG left = --refs;                                                                       \
        if (left == 0)                                                                             \
            delete this;                                                                           \
        return left;                                                                               \
    }

struct StubConfig {
    int fail_step;
    int settings_level;
    int controller4;
};

struct StubWebView;

struct NotImplEnvironment : ICoreWebView2Environment {
    WV2_ENVIRONMENT_METHODS(WV2_NOTIMPL)
};
struct StubEnvironment : NotImplEnvironment {
    WV2_STUB_UNKNOWN(ICoreWebView2Environment)
    StubEnvironment(StubConfig config, HWND window);
    virtual ~StubEnvironment();
    bool answers(REFIID riid);
    HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override;
    StubConfig config;
    HWND window;             // message-only window on the creating thread: async completions
    Wv2StubSnapshot options; // what the options object said
};

struct NotImplSettings : ICoreWebView2Settings6 {
    WV2_SETTINGS_METHODS(WV2_NOTIMPL)
    WV2_SETTINGS2_METHODS(WV2_NOTIMPL)
    WV2_SETTINGS3_METHODS(WV2_NOTIMPL)
    WV2_SETTINGS4_METHODS(WV2_NOTIMPL)
    WV2_SETTINGS5_METHODS(WV2_NOTIMPL)
    WV2_SETTINGS6_METHODS(WV2_NOTIMPL)
};
struct StubSettings : NotImplSettings {
    WV2_STUB_UNKNOWN(ICoreWebView2Settings6)
    explicit StubSettings(StubWebView* owner);
    virtual ~StubSettings();
    bool answers(REFIID riid);
    HRESULT set(int* field, BOOL value, int step);
    HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL v) override;
    HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(BOOL v) override;
    HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL v) override;
    HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL v) override;
    HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL v) override;
    HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL v) override;
    HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL v) override;
    HRESULT STDMETHODCALLTYPE put_AreBrowserAcceleratorKeysEnabled(BOOL v) override;
    HRESULT STDMETHODCALLTYPE put_IsPasswordAutosaveEnabled(BOOL v) override;
    HRESULT STDMETHODCALLTYPE put_IsGeneralAutofillEnabled(BOOL v) override;
    HRESULT STDMETHODCALLTYPE put_IsPinchZoomEnabled(BOOL v) override;
    HRESULT STDMETHODCALLTYPE put_IsSwipeNavigationEnabled(BOOL v) override;
    StubWebView* owner; // not owned; the web view outlives its settings' use
};

struct NotImplWebView : ICoreWebView2 {
    WV2_WEBVIEW_METHODS(WV2_NOTIMPL)
};
struct StubWebView : NotImplWebView {
    WV2_STUB_UNKNOWN(ICoreWebView2)
    StubWebView(StubEnvironment* environment, HWND parent);
    virtual ~StubWebView();
    bool answers(REFIID riid);
    bool fails(int step) const { return environment->config.fail_step == step; }
    HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** out) override;
    HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override;
    HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler*,
                                                     EventRegistrationToken*) override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR text) override;
    HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler*,
                                                     EventRegistrationToken*) override;
    HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler*,
                                                     EventRegistrationToken*) override;
    HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler*,
                                                EventRegistrationToken*) override;
    void drop_handlers();

    StubEnvironment* environment; // one reference
    HWND parent;
    Wv2StubSnapshot snapshot;
    std::vector<std::wstring> posted;   // messages posted to the page
    std::vector<Wv2StubResult> results; // handled events, in order
    ICoreWebView2WebMessageReceivedEventHandler* message_handler = NULL;
    ICoreWebView2NavigationStartingEventHandler* navigation_handler = NULL;
    ICoreWebView2NewWindowRequestedEventHandler* new_window_handler = NULL;
    ICoreWebView2ProcessFailedEventHandler* process_failed_handler = NULL;
};

struct NotImplController : ICoreWebView2Controller4 {
    WV2_CONTROLLER_METHODS(WV2_NOTIMPL)
    WV2_CONTROLLER2_METHODS(WV2_NOTIMPL)
    WV2_CONTROLLER3_METHODS(WV2_NOTIMPL)
    WV2_CONTROLLER4_METHODS(WV2_NOTIMPL)
};
struct StubController : NotImplController {
    WV2_STUB_UNKNOWN(ICoreWebView2Controller4)
    explicit StubController(StubWebView* web_view);
    virtual ~StubController();
    bool answers(REFIID riid);
    HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL visible) override;
    HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) override;
    HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** out) override;
    HRESULT STDMETHODCALLTYPE put_AllowExternalDrop(BOOL allow) override;
    StubWebView* web_view; // one reference
};

struct NotImplMessageArgs : ICoreWebView2WebMessageReceivedEventArgs {
    WV2_WEB_MESSAGE_ARGS_METHODS(WV2_NOTIMPL)
};
struct StubMessageArgs : NotImplMessageArgs {
    WV2_STUB_UNKNOWN(ICoreWebView2WebMessageReceivedEventArgs)
    StubMessageArgs(const std::wstring& text, bool is_string);
    virtual ~StubMessageArgs();
    bool answers(REFIID riid);
    HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* out) override;
    std::wstring text;
    bool is_string;
};

struct NotImplNavigationArgs : ICoreWebView2NavigationStartingEventArgs {
    WV2_NAVIGATION_ARGS_METHODS(WV2_NOTIMPL)
};
struct StubNavigationArgs : NotImplNavigationArgs {
    WV2_STUB_UNKNOWN(ICoreWebView2NavigationStartingEventArgs)
    explicit StubNavigationArgs(const std::wstring& uri);
    virtual ~StubNavigationArgs();
    bool answers(REFIID riid);
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* out) override;
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) override;
    std::wstring uri;
    BOOL cancel = FALSE;
};

struct NotImplNewWindowArgs : ICoreWebView2NewWindowRequestedEventArgs {
    WV2_NEW_WINDOW_ARGS_METHODS(WV2_NOTIMPL)
};
struct StubNewWindowArgs : NotImplNewWindowArgs {
    WV2_STUB_UNKNOWN(ICoreWebView2NewWindowRequestedEventArgs)
    explicit StubNewWindowArgs(const std::wstring& uri);
    virtual ~StubNewWindowArgs();
    bool answers(REFIID riid);
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* out) override;
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) override;
    std::wstring uri;
    BOOL handled = FALSE;
};

// The arguments of a process failure. Their own interface is not declared
// here, so they answer IUnknown alone: a host that asks them for more gets
// E_NOINTERFACE.
struct StubProcessFailedArgs : IUnknown {
    WV2_STUB_UNKNOWN(IUnknown)
    StubProcessFailedArgs() { ++g_wv2StubLive; }
    virtual ~StubProcessFailedArgs() { --g_wv2StubLive; }
    bool answers(REFIID riid) { return wv2_same_iid(riid, wv2iid::kUnknown); }
};

// Registry of live web views, keyed by parent window. [any thread, under lock]
StubWebView* wv2_stub_find(HWND parent);
void wv2_stub_register(StubWebView* web_view);
void wv2_stub_unregister(StubWebView* web_view);

// Private window messages of the stand-in's message-only windows.
enum : UINT {
    kStubEnvironmentDone = WM_USER + 0x200, // lParam: completion record
    kStubControllerDone,
    kStubPageMessage, // lParam: event record
    kStubNavigation,
    kStubProcessFailed,
};

// Copies `text` into a CoTaskMemAlloc buffer (null when short of memory).
LPWSTR wv2_stub_copy(const std::wstring& text);

#define WV2_EXPORT extern "C" __declspec(dllexport)

// Environment creation behind either stand-in's entry, as the runtime does
// it: checks the apartment, reads the options, completes later on this
// thread (or never, kWv2StepNeverComplete).
HRESULT
wv2_stub_create_environment(PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* options,
                            ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);
// Requests kept unanswered right now. [any thread]
int wv2_stub_unanswered_count();
// Queues an event (kStubPageMessage, kStubNavigation or kStubProcessFailed)
// for the web view shown in `parent`, delivered later on its thread; -1 when
// there is none. [any thread]
int wv2_stub_post_event(HWND parent, UINT kind, const wchar_t* text, int flag);
