#include "webui/wv2_environment_options.h"

#include <new>
#include <string.h>
#include <wchar.h>

namespace {

HRESULT last_error_result() {
    DWORD e = GetLastError();
    return e ? HRESULT_FROM_WIN32(e) : E_OUTOFMEMORY;
}

HRESULT get_text(LPCWSTR text, LPWSTR* value) {
    if (!value)
        return E_POINTER;
    *value = NULL;
    if (!text)
        return S_OK;
    *value = wv2_copy_text(text);
    return *value ? S_OK : last_error_result();
}

HRESULT put_text(LPWSTR* field, LPCWSTR value) {
    CoTaskMemFree(*field);
    *field = NULL;
    if (!value)
        return S_OK;
    *field = wv2_copy_text(value);
    return *field ? S_OK : last_error_result();
}

} // namespace

LPWSTR wv2_copy_text(LPCWSTR text) {
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    LPWSTR copy = (LPWSTR)CoTaskMemAlloc(bytes);
    if (copy)
        memcpy(copy, text, bytes);
    return copy;
}

WV2EnvironmentOptions* wv2_environment_options_create() {
    WV2EnvironmentOptions* o = new (std::nothrow) WV2EnvironmentOptions;
    if (!o)
        return NULL;
    if (FAILED(o->put_TargetCompatibleBrowserVersion(L"131.0.2903.40"))) {
        o->Release();
        return NULL;
    }
    return o;
}

WV2EnvironmentOptions::~WV2EnvironmentOptions() {
    CoTaskMemFree(target_compatible_browser_version);
    CoTaskMemFree(language);
    CoTaskMemFree(additional_browser_arguments);
}

HRESULT WV2EnvironmentOptions::QueryInterface(REFIID riid, void** out) {
    if (!out)
        return E_POINTER;
    if (wv2_same_iid(riid, wv2iid::kEnvironmentOptions) || wv2_same_iid(riid, wv2iid::kUnknown)) {
        *out = static_cast<ICoreWebView2EnvironmentOptions*>(this);
        AddRef();
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

ULONG WV2EnvironmentOptions::AddRef() {
    return ++reference_count;
}

// One atomic decrement decides who destroys: a test-then-decrement could let
// two releasing threads both see a count above one.
ULONG WV2EnvironmentOptions::Release() {
    ULONG left = --reference_count;
    if (left == 0)
        delete this;
    return left;
}

HRESULT WV2EnvironmentOptions::get_AdditionalBrowserArguments(LPWSTR* value) {
    return get_text(additional_browser_arguments, value);
}
HRESULT WV2EnvironmentOptions::put_AdditionalBrowserArguments(LPCWSTR value) {
    return put_text(&additional_browser_arguments, value);
}
HRESULT WV2EnvironmentOptions::get_Language(LPWSTR* value) {
    return get_text(language, value);
}
HRESULT WV2EnvironmentOptions::put_Language(LPCWSTR value) {
    return put_text(&language, value);
}
HRESULT WV2EnvironmentOptions::get_TargetCompatibleBrowserVersion(LPWSTR* value) {
    return get_text(target_compatible_browser_version, value);
}
HRESULT WV2EnvironmentOptions::put_TargetCompatibleBrowserVersion(LPCWSTR value) {
    return put_text(&target_compatible_browser_version, value);
}
HRESULT WV2EnvironmentOptions::get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) {
    if (!allow)
        return E_POINTER;
    *allow = allow_single_sign_on_using_os_primary_account;
    return S_OK;
}
HRESULT WV2EnvironmentOptions::put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) {
    allow_single_sign_on_using_os_primary_account = allow;
    return S_OK;
}
