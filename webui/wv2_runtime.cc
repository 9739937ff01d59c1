// Choosing the library that creates WebView2 environments, calling its
// entry, and giving it back.
#include "webui/wv2_runtime.h"

#include "webui/web_view_internal.h"

#include <stdlib.h>

namespace {

const char kLoaderEntry[] = "CreateCoreWebView2EnvironmentWithOptions";
const char kClientEntry[] = "CreateWebViewEnvironmentWithOptionsInternal";

// What Microsoft's loader passes for an installed (Evergreen) runtime; a
// fixed-version runtime folder would be 1.
constexpr int kInstalledRuntime = 0;

// The client library's own dependencies are searched in its folder and the
// system's, never in the plug-in host's folder or the current one.
constexpr DWORD kClientLoadFlags =
    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;

typedef HRESULT(STDAPICALLTYPE* CanUnloadNowFn)();

template <class F> F entryOf(HMODULE module, const char* name) {
    return (F)(void (*)())GetProcAddress(module, name);
}

// References to client libraries given back while objects made through
// them still lived (another open editor's, or the runtime's own); every
// later release by this module retries them. Beyond the slots, or when no
// editor of this module closes again, a reference stays for good: a count
// kept up, nothing else.
constexpr int kParkedSlots = 32;
HMODULE g_parked[kParkedSlots];
SRWLOCK g_parkedLock = SRWLOCK_INIT;

// The client library may still run objects it made, through our calls or on
// threads of its own, and unloading it under them would crash the process.
// It is idle when its DllCanUnloadNow says nothing lives or, lacking that
// export, when nothing can have been made through it.
bool clientIdle(HMODULE module, bool mayHaveMadeObjects) {
    CanUnloadNowFn canUnloadNow = entryOf<CanUnloadNowFn>(module, "DllCanUnloadNow");
    return canUnloadNow ? canUnloadNow() == S_OK : !mayHaveMadeObjects;
}

void releaseClient(HMODULE module, bool mayHaveMadeObjects) {
    AcquireSRWLockExclusive(&g_parkedLock);
    if (clientIdle(module, mayHaveMadeObjects)) {
        FreeLibrary(module);
    } else {
        for (int i = 0; i < kParkedSlots && module; ++i) {
            if (!g_parked[i]) {
                g_parked[i] = module;
                module = NULL;
            }
        }
    }
    for (int i = 0; i < kParkedSlots; ++i) {
        if (g_parked[i] && clientIdle(g_parked[i], true)) {
            FreeLibrary(g_parked[i]);
            g_parked[i] = NULL;
        }
    }
    ReleaseSRWLockExclusive(&g_parkedLock);
}

bool openLoader(Wv2Runtime* runtime, const char* loaderFolder) {
    if (!loaderFolder)
        return false;
    wchar_t* path = webViewWiden(loaderFolder, L"\\WebView2Loader.dll");
    if (!path)
        return false;
    HMODULE module = LoadLibraryW(path);
    free(path);
    if (!module)
        return false;
    runtime->loaderEntry =
        entryOf<CreateCoreWebView2EnvironmentWithOptionsFn>(module, kLoaderEntry);
    if (!runtime->loaderEntry) {
        FreeLibrary(module);
        return false;
    }
    runtime->module = module;
    return true;
}

// The per-machine install first, then the per-user one: the first whose
// client library loads and offers the entry.
bool openInstalledRuntime(Wv2Runtime* runtime) {
    const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (HKEY root : roots) {
        wchar_t* path = wv2RuntimeClientPath(root);
        if (!path)
            continue;
        HMODULE module = LoadLibraryExW(path, NULL, kClientLoadFlags);
        free(path);
        if (!module)
            continue;
        runtime->clientEntry = entryOf<Wv2ClientEntryFn>(module, kClientEntry);
        if (runtime->clientEntry) {
            runtime->module = module;
            return true;
        }
        releaseClient(module, false);
    }
    return false;
}

} // namespace

bool wv2RuntimeOpen(Wv2Runtime* runtime, const char* loaderFolder) {
    runtime->module = NULL;
    runtime->loaderEntry = NULL;
    runtime->clientEntry = NULL;
    return openLoader(runtime, loaderFolder) || openInstalledRuntime(runtime);
}

HRESULT
wv2RuntimeCreateEnvironment(const Wv2Runtime* runtime, PCWSTR userDataFolder,
                            ICoreWebView2EnvironmentOptions* options,
                            ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    if (runtime->loaderEntry)
        return runtime->loaderEntry(NULL, userDataFolder, options, handler);
    // What a loader passes for an installed (not fixed-version) runtime.
    return runtime->clientEntry(true, kInstalledRuntime, userDataFolder, options, handler);
}

void wv2RuntimeRelease(HMODULE module, bool client) {
    if (!module)
        return;
    if (client)
        releaseClient(module, true);
    else
        FreeLibrary(module);
}
