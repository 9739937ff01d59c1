#include "webui/wv2_handler.h"

#include "webui/external_address.h"
#include "webui/web_view_internal.h"
#include "webui/wv2_environment_options.h"

#include <new>
#include <stdlib.h>
#include <wchar.h>

namespace {

void report_startup(WebViewHost* host, bool ready) {
    PostMessageA(host->webWindow, kMsgStartupDone, ready ? 1 : 0, 0);
}

template <class T> void release(T*& p) {
    if (p)
        p->Release();
    p = NULL;
}

// Conveniences the page does not need; results are ignored because an older
// runtime may lack a setting and still serves the page.
void switch_off_extras(ICoreWebView2Settings* settings, ICoreWebView2Controller* controller) {
    settings->put_AreDefaultContextMenusEnabled(FALSE);
    settings->put_AreDevToolsEnabled(FALSE);
    settings->put_IsStatusBarEnabled(FALSE);
    settings->put_IsZoomControlEnabled(FALSE);
    settings->put_AreDefaultScriptDialogsEnabled(FALSE);
    ICoreWebView2Settings3* s3 = NULL;
    if (SUCCEEDED(settings->QueryInterface(wv2iid::kSettings3, (void**)&s3)) && s3) {
        s3->put_AreBrowserAcceleratorKeysEnabled(FALSE);
        release(s3);
    }
    ICoreWebView2Settings4* s4 = NULL;
    if (SUCCEEDED(settings->QueryInterface(wv2iid::kSettings4, (void**)&s4)) && s4) {
        s4->put_IsPasswordAutosaveEnabled(FALSE);
        s4->put_IsGeneralAutofillEnabled(FALSE);
        release(s4);
    }
    ICoreWebView2Settings5* s5 = NULL;
    if (SUCCEEDED(settings->QueryInterface(wv2iid::kSettings5, (void**)&s5)) && s5) {
        s5->put_IsPinchZoomEnabled(FALSE);
        release(s5);
    }
    ICoreWebView2Settings6* s6 = NULL;
    if (SUCCEEDED(settings->QueryInterface(wv2iid::kSettings6, (void**)&s6)) && s6) {
        s6->put_IsSwipeNavigationEnabled(FALSE);
        release(s6);
    }
    ICoreWebView2Controller4* c4 = NULL;
    if (SUCCEEDED(controller->QueryInterface(wv2iid::kController4, (void**)&c4)) && c4) {
        c4->put_AllowExternalDrop(FALSE);
        release(c4);
    }
}

bool prepare(WV2Handler* h, ICoreWebView2Controller* controller, ICoreWebView2* web_view,
             ICoreWebView2Settings* settings) {
    EventRegistrationToken token;
    RECT bounds;
    return h->navigation_target && settings->put_IsScriptEnabled(TRUE) == S_OK &&
           SUCCEEDED(settings->put_AreHostObjectsAllowed(TRUE)) &&
           GetClientRect(h->host->webWindow, &bounds) &&
           SUCCEEDED(controller->put_Bounds(bounds)) &&
           SUCCEEDED(web_view->add_WebMessageReceived(h, &token)) &&
           SUCCEEDED(web_view->add_NavigationStarting(h, &token)) &&
           SUCCEEDED(web_view->add_NewWindowRequested(h, &token)) &&
           SUCCEEDED(web_view->add_ProcessFailed(h, &token)) &&
           SUCCEEDED(web_view->Navigate(h->navigation_target));
}

HRESULT last_error_result() {
    DWORD e = GetLastError();
    return e ? HRESULT_FROM_WIN32(e) : E_FAIL;
}

} // namespace

WV2Handler* wv2_handler_create(WebViewHost* host, const wchar_t* navigation_target) {
    WV2Handler* h = new (std::nothrow) WV2Handler;
    if (!h)
        return NULL;
    h->host = host;
    if (navigation_target)
        h->navigation_target = wv2_copy_text(navigation_target);
    return h;
}

ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*
wv2_handler_as_environment_completed(WV2Handler* handler) {
    return handler;
}

void wv2_handler_release(WV2Handler* handler) {
    handler->Release();
}

bool wv2_is_own_address(const wchar_t* uri) {
    return uri && wcsncmp(uri, L"file:", 5) == 0;
}

WV2Handler::~WV2Handler() {
    CoTaskMemFree(navigation_target);
}

HRESULT WV2Handler::QueryInterface(REFIID riid, void** out) {
    if (!out)
        return E_POINTER;
    *out = NULL;
    if (wv2_same_iid(riid, wv2iid::kEnvironmentCompletedHandler) ||
        wv2_same_iid(riid, wv2iid::kUnknown))
        *out = static_cast<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*>(this);
    else if (wv2_same_iid(riid, wv2iid::kControllerCompletedHandler))
        *out = static_cast<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler*>(this);
    else if (wv2_same_iid(riid, wv2iid::kWebMessageReceivedHandler))
        *out = static_cast<ICoreWebView2WebMessageReceivedEventHandler*>(this);
    else if (wv2_same_iid(riid, wv2iid::kNavigationStartingHandler))
        *out = static_cast<ICoreWebView2NavigationStartingEventHandler*>(this);
    else if (wv2_same_iid(riid, wv2iid::kNewWindowRequestedHandler))
        *out = static_cast<ICoreWebView2NewWindowRequestedEventHandler*>(this);
    else if (wv2_same_iid(riid, wv2iid::kProcessFailedHandler))
        *out = static_cast<ICoreWebView2ProcessFailedEventHandler*>(this);
    if (!*out)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG WV2Handler::AddRef() {
    return ++reference_count;
}

ULONG WV2Handler::Release() {
    ULONG left = --reference_count;
    if (left == 0)
        delete this;
    return left;
}

HRESULT WV2Handler::Invoke(HRESULT errorCode, ICoreWebView2Environment* environment) {
    HRESULT hr = errorCode;
    if (SUCCEEDED(errorCode)) {
        hr = environment ? environment->CreateCoreWebView2Controller(host->webWindow, this)
                         : E_POINTER;
        if (SUCCEEDED(hr))
            return S_OK;
    }
    report_startup(host, false);
    return hr;
}

HRESULT WV2Handler::Invoke(HRESULT errorCode, ICoreWebView2Controller* controller) {
    if (FAILED(errorCode) || !controller) {
        report_startup(host, false);
        return FAILED(errorCode) ? errorCode : E_POINTER;
    }
    ICoreWebView2* web_view = NULL;
    ICoreWebView2Settings* settings = NULL;
    if (FAILED(controller->get_CoreWebView2(&web_view)) || !web_view ||
        FAILED(web_view->get_Settings(&settings)) || !settings) {
        release(settings);
        release(web_view);
        report_startup(host, false);
        return E_FAIL;
    }
    switch_off_extras(settings, controller);
    bool ok = prepare(this, controller, web_view, settings);
    release(settings);
    release(web_view);
    if (!ok) {
        report_startup(host, false);
        return E_FAIL;
    }
    controller->AddRef();
    host->controller = controller;
    report_startup(host, true);
    return S_OK;
}

HRESULT WV2Handler::Invoke(ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) {
    LPWSTR text = NULL;
    HRESULT hr = args->TryGetWebMessageAsString(&text);
    if (FAILED(hr) || !text) {
        CoTaskMemFree(text);
        return FAILED(hr) ? hr : E_POINTER;
    }
    int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, NULL, 0, NULL, NULL);
    if (bytes <= 0) {
        hr = last_error_result();
        CoTaskMemFree(text);
        return hr;
    }
    char* utf8 = bytes <= kWV2MessageBufferSize ? message_buffer : (char*)malloc((size_t)bytes);
    if (!utf8) {
        CoTaskMemFree(text);
        return E_OUTOFMEMORY;
    }
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, utf8, bytes, NULL, NULL);
    web_view_dispatch_page(host, utf8, (size_t)bytes - 1);
    if (utf8 != message_buffer)
        free(utf8);
    CoTaskMemFree(text);
    return S_OK;
}

HRESULT WV2Handler::Invoke(ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
    LPWSTR uri = NULL;
    HRESULT hr = args->get_Uri(&uri);
    if (FAILED(hr))
        return hr;
    if (!wv2_is_own_address(uri)) {
        args->put_Cancel(TRUE);
        if (uri)
            external_address_open(uri);
    } else if (host) {
        // The page is replaced (a reload): its open gestures end here.
        web_view_end_open_gestures(host);
    }
    CoTaskMemFree(uri);
    return S_OK;
}

HRESULT WV2Handler::Invoke(ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) {
    LPWSTR uri = NULL;
    HRESULT hr = args->get_Uri(&uri);
    if (FAILED(hr))
        return hr;
    if (!wv2_is_own_address(uri)) {
        args->put_Handled(TRUE);
        if (uri)
            external_address_open(uri);
    }
    CoTaskMemFree(uri);
    return S_OK;
}

// A process behind the web view failed: the renderer crashed, exited or hangs,
// or the browser or another helper went. Whichever it was, the page may never
// end the gestures it has open, so they end here as on a reload. The kind of
// failure is not read: a page that lives on cannot end them a second time,
// since the modules end only gestures the host saw begin.
HRESULT WV2Handler::Invoke(ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs*) {
    if (host)
        web_view_end_open_gestures(host);
    return S_OK;
}
