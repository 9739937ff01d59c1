// The options object handed to CreateCoreWebView2EnvironmentWithOptions.
#pragma once

#include "webui/wv2_api.h"

#include <atomic>

// All calls arrive on the web UI thread; the count is atomic all the same.
class WV2EnvironmentOptions : public ICoreWebView2EnvironmentOptions {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) override;
    HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) override;
    virtual ~WV2EnvironmentOptions();

    LPWSTR additional_browser_arguments = NULL;
    LPWSTR language = NULL;
    LPWSTR target_compatible_browser_version = NULL;
    BOOL allow_single_sign_on_using_os_primary_account = FALSE;
    std::atomic<ULONG> reference_count{1};
};

// A new object with count 1 and target version "131.0.2903.40", or null when
// memory is short. [web UI thread]
WV2EnvironmentOptions* wv2_environment_options_create();

// CoTaskMemAlloc copy of a UTF-16 text, null when memory is short. [any thread]
LPWSTR wv2_copy_text(LPCWSTR text);
