// Where a web view's WebView2 environment comes from. Microsoft's loader,
// WebView2Loader.dll, is used whenever it lies in the loader folder; without
// it we do the loader's job ourselves: find the installed WebView2 runtime
// in the registry, load its client library and call the library's entry.
#pragma once

#include "webui/wv2_api.h"

// Entry of the runtime's client library (EmbeddedBrowserWebView.dll). `bool`
// is the one-byte C++ bool; the options travel as their IUnknown.
typedef HRESULT(STDAPICALLTYPE* Wv2ClientEntryFn)(
    bool checkRunningInstance, int runtimeType, PCWSTR userDataFolder, IUnknown* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler);

// The library that creates environments and its entry: exactly one of the
// two entries is set.
struct Wv2Runtime {
    HMODULE module;
    CreateCoreWebView2EnvironmentWithOptionsFn loader_entry; // WebView2Loader.dll
    Wv2ClientEntryFn client_entry;                           // the runtime's client library
};

// Oldest runtime build accepted from the registry: from this build on, the
// runtime navigates to a plain file path (our index.html) as to its file
// URL, and every interface the host needs without a fallback is older.
constexpr unsigned kWv2MinimumRuntimeBuild = 1462;

// Loads WebView2Loader.dll from `loaderFolder` (UTF-8; may be null) when it
// lies there with its entry, else the installed runtime's client library.
// False when neither is usable; nothing then stays loaded. [host UI thread]
bool wv2_runtime_open(Wv2Runtime* runtime, const char* loaderFolder);

// Starts creating an environment with the library's entry; the handler gets
// the result later, on this thread. [web UI thread]
HRESULT
wv2_runtime_create_environment(const Wv2Runtime* runtime, PCWSTR userDataFolder,
                               ICoreWebView2EnvironmentOptions* options,
                               ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

// Gives back a library that wv2_runtime_open loaded, once our own references
// to everything made through it are released. Microsoft's loader goes at
// once (it keeps what it loaded itself); the client library only when its
// DllCanUnloadNow says nothing it made still lives: until then the
// reference is kept, and given back at a later release that finds the
// library idle. [host UI thread]
void wv2_runtime_release(HMODULE module, bool client);

// ---- finding the installed runtime (wv2_runtime_find.cc) ----

// Build number (the third of four dot-separated decimal numbers) of a
// runtime version folder such as "C:\...\Application\131.0.2903.86", with
// or without a trailing backslash; 0 when its last component is no such
// version. [any thread]
unsigned wv2_runtime_build(const wchar_t* version_folder);

// Path of the stable runtime's client library registered under `root`
// (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER, 32-bit registry view), freshly
// malloc'ed; null when no runtime is registered there or its version is
// older than kWv2MinimumRuntimeBuild or unreadable. [any thread]
wchar_t* wv2_runtime_client_path(HKEY root);
