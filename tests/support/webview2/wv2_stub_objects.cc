#include "tests/support/webview2/wv2_stub_objects.h"

#include <string.h>

std::atomic<int> g_wv2StubLive{0};

namespace {

struct Completion {
    IUnknown* handler;
    IUnknown* result;
    HRESULT error;
};

void copyText(wchar_t* out, size_t capacity, const wchar_t* text) {
    if (!text)
        return;
    wcsncpy(out, text, capacity - 1);
    out[capacity - 1] = 0;
}

} // namespace

LPWSTR wv2StubCopy(const std::wstring& text) {
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
    return wv2SameIid(riid, wv2iid::kEnvironment) || wv2SameIid(riid, wv2iid::kUnknown);
}

HRESULT StubEnvironment::CreateCoreWebView2Controller(
    HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
    if (config.failStep == kWv2StepCreateController || !handler)
        return E_FAIL;
    StubWebView* webView = new StubWebView(this, parent);
    StubController* controller = new StubController(webView); // takes the web view
    Completion* done = new Completion{handler, controller, S_OK};
    if (config.failStep == kWv2StepControllerCompleted)
        done->error = E_FAIL;
    handler->AddRef();
    PostMessageW(window, kStubControllerDone, 0, (LPARAM)done);
    return S_OK;
}

// Runs a posted completion on the creating thread, as the runtime does.
void wv2StubComplete(UINT message, LPARAM lParam) {
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

void wv2StubPostEnvironment(StubEnvironment* env, IUnknown* handler, HRESULT error) {
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
        &snapshot.scriptEnabled,     &snapshot.hostObjects,     &snapshot.contextMenus,
        &snapshot.devTools,          &snapshot.statusBar,       &snapshot.zoomControl,
        &snapshot.scriptDialogs,     &snapshot.acceleratorKeys, &snapshot.passwordAutosave,
        &snapshot.generalAutofill,   &snapshot.pinchZoom,       &snapshot.swipeNavigation,
        &snapshot.allowExternalDrop, &snapshot.visible};
    for (int* f : fields)
        *f = -1;
    ++g_wv2StubLive;
    wv2StubRegister(this);
}
StubWebView::~StubWebView() {
    wv2StubUnregister(this);
    dropHandlers();
    environment->Release();
    --g_wv2StubLive;
}
bool StubWebView::answers(REFIID riid) {
    return wv2SameIid(riid, wv2iid::kWebView) || wv2SameIid(riid, wv2iid::kUnknown);
}
void StubWebView::dropHandlers() {
    if (messageHandler)
        messageHandler->Release();
    if (navigationHandler)
        navigationHandler->Release();
    if (newWindowHandler)
        newWindowHandler->Release();
    if (processFailedHandler)
        processFailedHandler->Release();
    messageHandler = NULL;
    navigationHandler = NULL;
    newWindowHandler = NULL;
    processFailedHandler = NULL;
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
    copyText(snapshot.navigatedTo, MAX_PATH, uri);
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
HRESULT registerHandler(StubWebView* w, H** slot, H* handler, EventRegistrationToken* token,
                        int step) {
    if (w->fails(step) || !handler || !token)
        return E_FAIL;
    handler->AddRef();
    if (*slot)
        (*slot)->Release();
    *slot = handler;
    token->value = (int64_t)(uintptr_t)handler + step;
    EnterCriticalSection(&g_wv2StubLock);
    ++w->snapshot.handlersRegistered;
    LeaveCriticalSection(&g_wv2StubLock);
    return S_OK;
}
HRESULT StubWebView::add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* h,
                                            EventRegistrationToken* t) {
    return registerHandler(this, &messageHandler, h, t, kWv2StepAddWebMessage);
}
HRESULT StubWebView::add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* h,
                                            EventRegistrationToken* t) {
    return registerHandler(this, &navigationHandler, h, t, kWv2StepAddNavigationStarting);
}
HRESULT StubWebView::add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* h,
                                            EventRegistrationToken* t) {
    return registerHandler(this, &newWindowHandler, h, t, kWv2StepAddNewWindow);
}
HRESULT StubWebView::add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* h,
                                       EventRegistrationToken* t) {
    return registerHandler(this, &processFailedHandler, h, t, kWv2StepAddProcessFailed);
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
    if (wv2SameIid(riid, wv2iid::kUnknown))
        return true;
    for (int i = 0; i < owner->environment->config.settingsLevel && i < 6; ++i)
        if (wv2SameIid(riid, *levels[i]))
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
WV2_STUB_SETTING(put_IsScriptEnabled, scriptEnabled, kWv2StepScriptEnabled)
WV2_STUB_SETTING(put_AreHostObjectsAllowed, hostObjects, kWv2StepHostObjects)
WV2_STUB_SETTING(put_AreDefaultScriptDialogsEnabled, scriptDialogs, 0)
WV2_STUB_SETTING(put_IsStatusBarEnabled, statusBar, 0)
WV2_STUB_SETTING(put_AreDevToolsEnabled, devTools, 0)
WV2_STUB_SETTING(put_AreDefaultContextMenusEnabled, contextMenus, 0)
WV2_STUB_SETTING(put_IsZoomControlEnabled, zoomControl, 0)
WV2_STUB_SETTING(put_AreBrowserAcceleratorKeysEnabled, acceleratorKeys, 0)
WV2_STUB_SETTING(put_IsPasswordAutosaveEnabled, passwordAutosave, 0)
WV2_STUB_SETTING(put_IsGeneralAutofillEnabled, generalAutofill, 0)
WV2_STUB_SETTING(put_IsPinchZoomEnabled, pinchZoom, 0)
WV2_STUB_SETTING(put_IsSwipeNavigationEnabled, swipeNavigation, 0)

// ---- controller ----

StubController::StubController(StubWebView* w) : webView(w) {
    ++g_wv2StubLive;
}
StubController::~StubController() {
    webView->Release();
    --g_wv2StubLive;
}
bool StubController::answers(REFIID riid) {
    if (wv2SameIid(riid, wv2iid::kUnknown) || wv2SameIid(riid, wv2iid::kController) ||
        wv2SameIid(riid, wv2iid::kController2) || wv2SameIid(riid, wv2iid::kController3))
        return true;
    return webView->environment->config.controller4 && wv2SameIid(riid, wv2iid::kController4);
}
HRESULT StubController::put_IsVisible(BOOL visible) {
    if (webView->fails(kWv2StepPutIsVisible))
        return E_FAIL;
    EnterCriticalSection(&g_wv2StubLock);
    webView->snapshot.visible = visible ? 1 : 0;
    LeaveCriticalSection(&g_wv2StubLock);
    return S_OK;
}
HRESULT StubController::put_Bounds(RECT bounds) {
    if (webView->fails(kWv2StepPutBounds))
        return E_FAIL;
    EnterCriticalSection(&g_wv2StubLock);
    webView->snapshot.bounds = bounds;
    LeaveCriticalSection(&g_wv2StubLock);
    return S_OK;
}
HRESULT StubController::Close() {
    EnterCriticalSection(&g_wv2StubLock);
    webView->snapshot.closed = 1;
    LeaveCriticalSection(&g_wv2StubLock);
    webView->dropHandlers(); // as the runtime: Close releases every event handler
    return S_OK;
}
HRESULT StubController::get_CoreWebView2(ICoreWebView2** out) {
    if (!out)
        return E_POINTER;
    *out = NULL;
    if (webView->fails(kWv2StepGetCoreWebView2))
        return E_FAIL;
    webView->AddRef();
    *out = webView;
    return S_OK;
}
HRESULT StubController::put_AllowExternalDrop(BOOL allow) {
    EnterCriticalSection(&g_wv2StubLock);
    webView->snapshot.allowExternalDrop = allow ? 1 : 0;
    LeaveCriticalSection(&g_wv2StubLock);
    return S_OK;
}

// ---- event arguments ----

StubMessageArgs::StubMessageArgs(const std::wstring& t, bool s) : text(t), isString(s) {
    ++g_wv2StubLive;
}
StubMessageArgs::~StubMessageArgs() {
    --g_wv2StubLive;
}
bool StubMessageArgs::answers(REFIID riid) {
    return wv2SameIid(riid, wv2iid::kWebMessageReceivedArgs) || wv2SameIid(riid, wv2iid::kUnknown);
}
HRESULT StubMessageArgs::TryGetWebMessageAsString(LPWSTR* out) {
    if (!out)
        return E_POINTER;
    *out = NULL;
    if (!isString)
        return E_INVALIDARG;
    *out = wv2StubCopy(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

StubNavigationArgs::StubNavigationArgs(const std::wstring& u) : uri(u) {
    ++g_wv2StubLive;
}
StubNavigationArgs::~StubNavigationArgs() {
    --g_wv2StubLive;
}
bool StubNavigationArgs::answers(REFIID riid) {
    return wv2SameIid(riid, wv2iid::kNavigationStartingArgs) || wv2SameIid(riid, wv2iid::kUnknown);
}
HRESULT StubNavigationArgs::get_Uri(LPWSTR* out) {
    if (!out)
        return E_POINTER;
    *out = wv2StubCopy(uri);
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
    return wv2SameIid(riid, wv2iid::kNewWindowRequestedArgs) || wv2SameIid(riid, wv2iid::kUnknown);
}
HRESULT StubNewWindowArgs::get_Uri(LPWSTR* out) {
    if (!out)
        return E_POINTER;
    *out = wv2StubCopy(uri);
    return *out ? S_OK : E_OUTOFMEMORY;
}
HRESULT StubNewWindowArgs::put_Handled(BOOL h) {
    handled = h;
    return S_OK;
}
