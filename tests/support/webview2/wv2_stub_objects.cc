#include "tests/support/webview2/wv2_stub_objects.h"

#include <string.h>

std::atomic<int> g_wv2StubLive{0};

namespace {

struct Completion {
    IUnknown* handler;
    IUnknown* result;
    HRESULT error;
};

void copy_text(wchar_t* out, size_t capacity, const wchar_t* text) {
    if (!text)
        return;
    wcsncpy(out, text, capacity - 1);
    out[capacity - 1] = 0;
}

} // namespace

LPWSTR wv2_stub_copy(const std::wstring& text) {
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    LPWSTR copy = (LPWSTR)CoTaskMemAlloc(bytes);
    if (copy)
        memcpy(copy, text.c_str(), bytes);
    return copy;
}

// ---- environment ----

StubEnvironment::StubEnvironment(StubConfig c, HWND w) : config(c), window(w) {
    memset(&options, 0, sizeof options);
    ++g_wv2StubLive;
}
StubEnvironment::~StubEnvironment() {
    DestroyWindow(window);
    --g_wv2StubLive;
}
bool StubEnvironment::answers(REFIID riid) {
    return wv2_same_iid(riid, wv2iid::kEnvironment) || wv2_same_iid(riid, wv2iid::kUnknown);
}

HRESULT StubEnvironment::CreateCoreWebView2Controller(
    HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
    if (config.fail_step == kWv2StepCreateController || !handler)
        return E_FAIL;
    StubWebView* web_view = new StubWebView(this, parent);
    StubController* controller = new StubController(web_view); // takes the web view
    Completion* done = new Completion{handler, controller, S_OK};
    if (config.fail_step == kWv2StepControllerCompleted)
        done->error = E_FAIL;
    handler->AddRef();
    PostMessageW(window, kStubControllerDone, 0, (LPARAM)done);
    return S_OK;
}

// Runs a posted completion on the creating thread, as the runtime does.
void wv2_stub_complete(UINT message, LPARAM lParam) {
    Completion* done = (Completion*)lParam;
    if (message == kStubEnvironmentDone) {
        auto* h = (ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*)done->handler;
        h->Invoke(done->error,
                  FAILED(done->error) ? NULL : (ICoreWebView2Environment*)done->result);
    } else {
        auto* h = (ICoreWebView2CreateCoreWebView2ControllerCompletedHandler*)done->handler;
        h->Invoke(done->error, FAILED(done->error) ? NULL : (ICoreWebView2Controller*)done->result);
    }
    done->handler->Release();
    done->result->Release();
    delete done;
}

void wv2_stub_post_environment(StubEnvironment* env, IUnknown* handler, HRESULT error) {
    handler->AddRef();
    env->AddRef();
    PostMessageW(
        env->window, kStubEnvironmentDone, 0,
        (LPARAM) new Completion{handler, static_cast<ICoreWebView2Environment*>(env), error});
}

// ---- web view ----

StubWebView::StubWebView(StubEnvironment* env, HWND p) : environment(env), parent(p) {
    environment->AddRef();
    snapshot = environment->options;
    int* fields[] = {
        &snapshot.script_enabled,      &snapshot.host_objects,     &snapshot.context_menus,
        &snapshot.dev_tools,           &snapshot.status_bar,       &snapshot.zoom_control,
        &snapshot.script_dialogs,      &snapshot.accelerator_keys, &snapshot.password_autosave,
        &snapshot.general_autofill,    &snapshot.pinch_zoom,       &snapshot.swipe_navigation,
        &snapshot.allow_external_drop, &snapshot.visible};
    for (int* f : fields)
        *f = -1;
    ++g_wv2StubLive;
    wv2_stub_register(this);
}
StubWebView::~StubWebView() {
    wv2_stub_unregister(this);
    drop_handlers();
    environment->Release();
    --g_wv2StubLive;
}
bool StubWebView::answers(REFIID riid) {
    return wv2_same_iid(riid, wv2iid::kWebView) || wv2_same_iid(riid, wv2iid::kUnknown);
}
void StubWebView::drop_handlers() {
    if (message_handler)
        message_handler->Release();
    if (navigation_handler)
        navigation_handler->Release();
    if (new_window_handler)
        new_window_handler->Release();
    if (process_failed_handler)
        process_failed_handler->Release();
    message_handler = NULL;
    navigation_handler = NULL;
    new_window_handler = NULL;
    process_failed_handler = NULL;
}
HRESULT StubWebView::get_Settings(ICoreWebView2Settings** out) {
    if (!out)
        return E_POINTER;
    *out = NULL;
    if (fails(kWv2StepGetSettings))
        return E_FAIL;
    *out = new StubSettings(this);
    return S_OK;
}
HRESULT StubWebView::Navigate(LPCWSTR uri) {
    if (fails(kWv2StepNavigate))
        return E_FAIL;
    EnterCriticalSection(&g_wv2StubLock);
    copy_text(snapshot.navigated_to, MAX_PATH, uri);
    LeaveCriticalSection(&g_wv2StubLock);
    return S_OK;
}
HRESULT StubWebView::PostWebMessageAsString(LPCWSTR text) {
    if (!text)
        return E_INVALIDARG;
    EnterCriticalSection(&g_wv2StubLock);
    posted.push_back(text);
    LeaveCriticalSection(&g_wv2StubLock);
    return S_OK;
}

template <class H>
HRESULT register_handler(StubWebView* w, H** slot, H* handler, EventRegistrationToken* token,
                         int step) {
    if (w->fails(step) || !handler || !token)
        return E_FAIL;
    handler->AddRef();
    if (*slot)
        (*slot)->Release();
    *slot = handler;
    token->value = (int64_t)(uintptr_t)handler + step;
    EnterCriticalSection(&g_wv2StubLock);
    ++w->snapshot.handlers_registered;
    LeaveCriticalSection(&g_wv2StubLock);
    return S_OK;
}
HRESULT StubWebView::add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* h,
                                            EventRegistrationToken* t) {
    return register_handler(this, &message_handler, h, t, kWv2StepAddWebMessage);
}
HRESULT StubWebView::add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* h,
                                            EventRegistrationToken* t) {
    return register_handler(this, &navigation_handler, h, t, kWv2StepAddNavigationStarting);
}
HRESULT StubWebView::add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* h,
                                            EventRegistrationToken* t) {
    return register_handler(this, &new_window_handler, h, t, kWv2StepAddNewWindow);
}
HRESULT StubWebView::add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* h,
                                       EventRegistrationToken* t) {
    return register_handler(this, &process_failed_handler, h, t, kWv2StepAddProcessFailed);
}

// ---- settings ----

StubSettings::StubSettings(StubWebView* o) : owner(o) {
    owner->AddRef();
    ++g_wv2StubLive;
}
StubSettings::~StubSettings() {
    owner->Release();
    --g_wv2StubLive;
}
bool StubSettings::answers(REFIID riid) {
    const GUID* levels[] = {&wv2iid::kSettings,  &wv2iid::kSettings2, &wv2iid::kSettings3,
                            &wv2iid::kSettings4, &wv2iid::kSettings5, &wv2iid::kSettings6};
    if (wv2_same_iid(riid, wv2iid::kUnknown))
        return true;
    for (int i = 0; i < owner->environment->config.settings_level && i < 6; ++i)
        if (wv2_same_iid(riid, *levels[i]))
            return true;
    return false;
}
HRESULT StubSettings::set(int* field, BOOL value, int step) {
    if (step && owner->fails(step))
        return step == kWv2StepScriptEnabled ? S_FALSE : E_FAIL;
    EnterCriticalSection(&g_wv2StubLock);
    *field = value ? 1 : 0;
    LeaveCriticalSection(&g_wv2StubLock);
    return S_OK;
}
#define WV2_STUB_SETTING(method, field, step)                                                      \
    HRESULT StubSettings::method(BOOL v) {                                                         \
        return set(&owner->snapshot.field, v, step);                                               \
    }
WV2_STUB_SETTING(put_IsScriptEnabled, script_enabled, kWv2StepScriptEnabled)
WV2_STUB_SETTING(put_AreHostObjectsAllowed, host_objects, kWv2StepHostObjects)
WV2_STUB_SETTING(put_AreDefaultScriptDialogsEnabled, script_dialogs, 0)
WV2_STUB_SETTING(put_IsStatusBarEnabled, status_bar, 0)
WV2_STUB_SETTING(put_AreDevToolsEnabled, dev_tools, 0)
WV2_STUB_SETTING(put_AreDefaultContextMenusEnabled, context_menus, 0)
WV2_STUB_SETTING(put_IsZoomControlEnabled, zoom_control, 0)
WV2_STUB_SETTING(put_AreBrowserAcceleratorKeysEnabled, accelerator_keys, 0)
WV2_STUB_SETTING(put_IsPasswordAutosaveEnabled, password_autosave, 0)
WV2_STUB_SETTING(put_IsGeneralAutofillEnabled, general_autofill, 0)
WV2_STUB_SETTING(put_IsPinchZoomEnabled, pinch_zoom, 0)
WV2_STUB_SETTING(put_IsSwipeNavigationEnabled, swipe_navigation, 0)

// ---- controller ----

StubController::StubController(StubWebView* w) : web_view(w) {
    ++g_wv2StubLive;
}
StubController::~StubController() {
    web_view->Release();
    --g_wv2StubLive;
}
bool StubController::answers(REFIID riid) {
    if (wv2_same_iid(riid, wv2iid::kUnknown) || wv2_same_iid(riid, wv2iid::kController) ||
        wv2_same_iid(riid, wv2iid::kController2) || wv2_same_iid(riid, wv2iid::kController3))
        return true;
    return web_view->environment->config.controller4 && wv2_same_iid(riid, wv2iid::kController4);
}
HRESULT StubController::put_IsVisible(BOOL visible) {
    if (web_view->fails(kWv2StepPutIsVisible))
        return E_FAIL;
    EnterCriticalSection(&g_wv2StubLock);
    web_view->snapshot.visible = visible ? 1 : 0;
    LeaveCriticalSection(&g_wv2StubLock);
    return S_OK;
}
HRESULT StubController::put_Bounds(RECT bounds) {
    if (web_view->fails(kWv2StepPutBounds))
        return E_FAIL;
    EnterCriticalSection(&g_wv2StubLock);
    web_view->snapshot.bounds = bounds;
    LeaveCriticalSection(&g_wv2StubLock);
    return S_OK;
}
HRESULT StubController::Close() {
    EnterCriticalSection(&g_wv2StubLock);
    web_view->snapshot.closed = 1;
    LeaveCriticalSection(&g_wv2StubLock);
    web_view->drop_handlers(); // as the runtime: Close releases every event handler
    return S_OK;
}
HRESULT StubController::get_CoreWebView2(ICoreWebView2** out) {
    if (!out)
        return E_POINTER;
    *out = NULL;
    if (web_view->fails(kWv2StepGetCoreWebView2))
        return E_FAIL;
    web_view->AddRef();
    *out = web_view;
    return S_OK;
}
HRESULT StubController::put_AllowExternalDrop(BOOL allow) {
    EnterCriticalSection(&g_wv2StubLock);
    web_view->snapshot.allow_external_drop = allow ? 1 : 0;
    LeaveCriticalSection(&g_wv2StubLock);
    return S_OK;
}

// ---- event arguments ----

StubMessageArgs::StubMessageArgs(const std::wstring& t, bool s) : text(t), is_string(s) {
    ++g_wv2StubLive;
}
StubMessageArgs::~StubMessageArgs() {
    --g_wv2StubLive;
}
bool StubMessageArgs::answers(REFIID riid) {
    return wv2_same_iid(riid, wv2iid::kWebMessageReceivedArgs) ||
           wv2_same_iid(riid, wv2iid::kUnknown);
}
HRESULT StubMessageArgs::TryGetWebMessageAsString(LPWSTR* out) {
    if (!out)
        return E_POINTER;
    *out = NULL;
    if (!is_string)
        return E_INVALIDARG;
    *out = wv2_stub_copy(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

StubNavigationArgs::StubNavigationArgs(const std::wstring& u) : uri(u) {
    ++g_wv2StubLive;
}
StubNavigationArgs::~StubNavigationArgs() {
    --g_wv2StubLive;
}
bool StubNavigationArgs::answers(REFIID riid) {
    return wv2_same_iid(riid, wv2iid::kNavigationStartingArgs) ||
           wv2_same_iid(riid, wv2iid::kUnknown);
}
HRESULT StubNavigationArgs::get_Uri(LPWSTR* out) {
    if (!out)
        return E_POINTER;
    *out = wv2_stub_copy(uri);
    return *out ? S_OK : E_OUTOFMEMORY;
}
HRESULT StubNavigationArgs::put_Cancel(BOOL c) {
    cancel = c;
    return S_OK;
}

StubNewWindowArgs::StubNewWindowArgs(const std::wstring& u) : uri(u) {
    ++g_wv2StubLive;
}
StubNewWindowArgs::~StubNewWindowArgs() {
    --g_wv2StubLive;
}
bool StubNewWindowArgs::answers(REFIID riid) {
    return wv2_same_iid(riid, wv2iid::kNewWindowRequestedArgs) ||
           wv2_same_iid(riid, wv2iid::kUnknown);
}
HRESULT StubNewWindowArgs::get_Uri(LPWSTR* out) {
    if (!out)
        return E_POINTER;
    *out = wv2_stub_copy(uri);
    return *out ? S_OK : E_OUTOFMEMORY;
}
HRESULT StubNewWindowArgs::put_Handled(BOOL h) {
    handled = h;
    return S_OK;
}
