// Loads a Linux module binary the way a Linux host does: dlopen, then the
// module's ModuleEntry with the library handle, then GetPluginFactory; on
// close ModuleExit, then dlclose. A module without ModuleEntry or ModuleExit
// is refused, as hosts refuse it.
#include <dlfcn.h>
#include <stdio.h>

#include "tests/support/vst3host/vst3host.h"

typedef bool (*EntryFn)(void*);
typedef bool (*ExitFn)(void);
typedef IPluginFactory3* (*FactoryFn)(void);

bool vst3host_open(Vst3HostModule* module, const char* path) {
    module->library = nullptr;
    module->factory = nullptr;
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        fprintf(stderr, "dlopen: %s\n", dlerror());
        return false;
    }
    EntryFn entry = (EntryFn)dlsym(library, "ModuleEntry");
    ExitFn module_exit = (ExitFn)dlsym(library, "ModuleExit");
    FactoryFn get = (FactoryFn)dlsym(library, "GetPluginFactory");
    if (entry == nullptr || module_exit == nullptr || get == nullptr || !entry(library)) {
        dlclose(library);
        return false;
    }
    module->library = library;
    module->factory = get();
    if (module->factory == nullptr) {
        vst3host_close(module);
        return false;
    }
    return true;
}

IPluginFactory3* vst3host_factory_again(Vst3HostModule* module) {
    FactoryFn get = (FactoryFn)dlsym(module->library, "GetPluginFactory");
    return get != nullptr ? get() : nullptr;
}

void vst3host_close(Vst3HostModule* module) {
    if (module->library != nullptr) {
        ExitFn module_exit = (ExitFn)dlsym(module->library, "ModuleExit");
        if (module_exit != nullptr)
            module_exit();
        dlclose(module->library);
    }
    module->library = nullptr;
    module->factory = nullptr;
}
