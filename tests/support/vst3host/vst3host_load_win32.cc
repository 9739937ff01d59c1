// Loads a Windows module binary the way a Windows host does: LoadLibraryW,
// then GetPluginFactory. The module's DllMain does its own set-up.
#include <windows.h>

#include "tests/support/vst3host/vst3host.h"

bool vst3host_open(Vst3HostModule* module, const char* path) {
    module->library = nullptr;
    module->factory = nullptr;
    std::string windows = path[0] == '/' ? vst3host_windows_path(path) : std::string(path);
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, windows.c_str(), -1, nullptr, 0);
    if (n <= 0)
        return false;
    std::wstring wide((size_t)n, L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, windows.c_str(), -1, &wide[0], n);
    HMODULE library = LoadLibraryW(wide.c_str());
    if (library == nullptr)
        return false;
    typedef IPluginFactory3* (*GetFactory)(void);
    GetFactory get = (GetFactory)(void*)GetProcAddress(library, "GetPluginFactory");
    if (get == nullptr) {
        FreeLibrary(library);
        return false;
    }
    module->library = library;
    module->factory = get();
    return module->factory != nullptr;
}

IPluginFactory3* vst3host_factory_again(Vst3HostModule* module) {
    typedef IPluginFactory3* (*GetFactory)(void);
    GetFactory get =
        (GetFactory)(void*)GetProcAddress((HMODULE)module->library, "GetPluginFactory");
    return get != nullptr ? get() : nullptr;
}

void vst3host_close(Vst3HostModule* module) {
    if (module->library != nullptr)
        FreeLibrary((HMODULE)module->library);
    module->library = nullptr;
    module->factory = nullptr;
}
