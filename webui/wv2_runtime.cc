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

template <class F> F entry_of(HMODULE module, const char* name) {
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
bool client_idle(HMODULE module, bool may_have_made_objects) {
    CanUnloadNowFn can_unload_now = entry_of<CanUnloadNowFn>(module, "DllCanUnloadNow");
    return can_unload_now ? can_unload_now() == S_OK : !may_have_made_objects;
}

void release_client(HMODULE module, bool may_have_made_objects) {
    AcquireSRWLockExclusive(&g_parkedLock);
    if (client_idle(module, may_have_made_objects)) {
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
        if (g_parked[i] && client_idle(g_parked[i], true)) {
            FreeLibrary(g_parked[i]);
            g_parked[i] = NULL;
        }
    }
    ReleaseSRWLockExclusive(&g_parkedLock);
}

bool open_loader(Wv2Runtime* runtime, const char* loaderFolder) {
    if (!loaderFolder)
        return false;
    wchar_t* path = web_view_widen(loaderFolder, L"\\WebView2Loader.dll");
    if (!path)
        return false;
    HMODULE module = LoadLibraryW(path);
    free(path);
    if (!module)
        return false;
    runtime->loader_entry =
        entry_of<CreateCoreWebView2EnvironmentWithOptionsFn>(module, kLoaderEntry);
    if (!runtime->loader_entry) {
        FreeLibrary(module);
        return false;
    }
    runtime->module = module;
    return true;
}

// The per-machine install first, then the per-user one: the first whose
// client library loads and offers the entry.
bool open_installed_runtime(Wv2Runtime* runtime) {
    const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (HKEY root : roots) {
        wchar_t* path = wv2_runtime_client_path(root);
        if (!path)
            continue;
        HMODULE module = LoadLibraryExW(path, NULL, kClientLoadFlags);
        free(path);
        if (!module)
            continue;
        runtime->client_entry = entry_of<Wv2ClientEntryFn>(module, kClientEntry);
        if (runtime->client_entry) {
            runtime->module = module;
            return true;
        }
        release_client(module, false);
    }
    return false;
}

} // namespace

bool wv2_runtime_open(Wv2Runtime* runtime, const char* loaderFolder) {
    runtime->module = NULL;
    runtime->loader_entry = NULL;
    runtime->client_entry = NULL;
    return open_loader(runtime, loaderFolder) || open_installed_runtime(runtime);
}

HRESULT
wv2_runtime_create_environment(
    const Wv2Runtime* runtime, PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* options,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    if (runtime->loader_entry)
        return runtime->loader_entry(NULL, userDataFolder, options, handler);
    // What a loader passes for an installed (not fixed-version) runtime.
    return runtime->client_entry(true, kInstalledRuntime, userDataFolder, options, handler);
}

void wv2_runtime_release(HMODULE module, bool client) {
    if (!module)
        return;
    if (client)
        release_client(module, true);
    else
        FreeLibrary(module);
}
