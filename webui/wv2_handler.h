// The one object that receives every WebView2 callback of a web view host:
// environment and controller creation, page messages, navigations,
// new-window requests and failures of the web view's processes.
#pragma once

#include "webui/web_view_host.h"
#include "webui/wv2_api.h"

#include <atomic>

// Page messages up to this many UTF-8 bytes, terminator included, are
// converted without allocation.
constexpr int kWV2MessageBufferSize = 1024;

// All calls arrive on the web UI thread; the count is atomic all the same.
class WV2Handler : public ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
                   public ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
                   public ICoreWebView2WebMessageReceivedEventHandler,
                   public ICoreWebView2NavigationStartingEventHandler,
                   public ICoreWebView2NewWindowRequestedEventHandler,
                   public ICoreWebView2ProcessFailedEventHandler {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                     ICoreWebView2Environment* environment) override;
    virtual ~WV2Handler();
    HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                     ICoreWebView2Controller* controller) override;
    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                     ICoreWebView2WebMessageReceivedEventArgs* args) override;
    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                     ICoreWebView2NavigationStartingEventArgs* args) override;
    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                     ICoreWebView2NewWindowRequestedEventArgs* args) override;
    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                     ICoreWebView2ProcessFailedEventArgs* args) override;

    std::atomic<ULONG> reference_count{1};
    WebViewHost* host = NULL;
    LPWSTR navigation_target = NULL;
    char message_buffer[kWV2MessageBufferSize];
};

// New handler with count 1 and a copy of `navigation_target`; null when memory
// is short. [web UI thread]
WV2Handler* wv2_handler_create(WebViewHost* host, const wchar_t* navigation_target);

// [web UI thread]
ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*
wv2_handler_as_environment_completed(WV2Handler* handler);
void wv2_handler_release(WV2Handler* handler);

// True for the addresses the web view may show itself: those beginning with
// "file:", compared exactly. [any thread]
bool wv2_is_own_address(const wchar_t* uri);
