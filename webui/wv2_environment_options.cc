#include "webui/wv2_environment_options.h"

#include <new>
#include <string.h>
#include <wchar.h>

namespace {

HRESULT lastErrorResult() {
    DWORD e = GetLastError();
    return e ? HRESULT_FROM_WIN32(e) : E_OUTOFMEMORY;
}

HRESULT getText(LPCWSTR text, LPWSTR* value) {
    if (!value)
        return E_POINTER;
    *value = NULL;
    if (!text)
        return S_OK;
    *value = wv2CopyText(text);
    return *value ? S_OK : lastErrorResult();
}

HRESULT putText(LPWSTR* field, LPCWSTR value) {
    CoTaskMemFree(*field);
    *field = NULL;
    if (!value)
        return S_OK;
    *field = wv2CopyText(value);
    return *field ? S_OK : lastErrorResult();
}

} // namespace

LPWSTR wv2CopyText(LPCWSTR text) {
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    LPWSTR copy = (LPWSTR)CoTaskMemAlloc(bytes);
    if (copy)
        memcpy(copy, text, bytes);
    return copy;
}

WV2EnvironmentOptions* wv2EnvironmentOptionsCreate() {
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
    CoTaskMemFree(targetCompatibleBrowserVersion);
    CoTaskMemFree(language);
    CoTaskMemFree(additionalBrowserArguments);
}

HRESULT WV2EnvironmentOptions::QueryInterface(REFIID riid, void** out) {
    if (!out)
        return E_POINTER;
    if (wv2SameIid(riid, wv2iid::kEnvironmentOptions) || wv2SameIid(riid, wv2iid::kUnknown)) {
        *out = static_cast<ICoreWebView2EnvironmentOptions*>(this);
        AddRef();
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

ULONG WV2EnvironmentOptions::AddRef() {
    return ++referenceCount;
}

// One atomic decrement decides who destroys: a test-then-decrement could let
// two releasing threads both see a count above one.
ULONG WV2EnvironmentOptions::Release() {
    ULONG left = --referenceCount;
    if (left == 0)
        delete this;
    return left;
}

HRESULT WV2EnvironmentOptions::get_AdditionalBrowserArguments(LPWSTR* value) {
    return getText(additionalBrowserArguments, value);
}
HRESULT WV2EnvironmentOptions::put_AdditionalBrowserArguments(LPCWSTR value) {
    return putText(&additionalBrowserArguments, value);
}
HRESULT WV2EnvironmentOptions::get_Language(LPWSTR* value) {
    return getText(language, value);
}
HRESULT WV2EnvironmentOptions::put_Language(LPCWSTR value) {
    return putText(&language, value);
}
HRESULT WV2EnvironmentOptions::get_TargetCompatibleBrowserVersion(LPWSTR* value) {
    return getText(targetCompatibleBrowserVersion, value);
}
HRESULT WV2EnvironmentOptions::put_TargetCompatibleBrowserVersion(LPCWSTR value) {
    return putText(&targetCompatibleBrowserVersion, value);
}
HRESULT WV2EnvironmentOptions::get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) {
    if (!allow)
        return E_POINTER;
    *allow = allowSingleSignOnUsingOSPrimaryAccount;
    return S_OK;
}
HRESULT WV2EnvironmentOptions::put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) {
    allowSingleSignOnUsingOSPrimaryAccount = allow;
    return S_OK;
}
