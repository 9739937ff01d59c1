// The module's entry and exit on Linux, which a host calls right after dlopen
// and right before dlclose (a host may call the entry more than once, each
// call balanced by an exit). The first entry records the module and resources
// folders from the module file's own path, found from an address inside this
// module, so the handle argument is not needed and may be null.
#include <dlfcn.h>
#include <pthread.h>
#include <stdlib.h>

#include "vst3/factory.h"
#include "vst3/module_paths.h"

// Hosts may load plug-ins from more than one thread; the count and folders
// change only under this lock.
static pthread_mutex_t g_entry_lock = PTHREAD_MUTEX_INITIALIZER;

// The module file's absolute path (relative loads resolved against the
// working folder at load time), or null. Heap string. [host loading thread]
static char* module_file_path(void) {
    Dl_info info;
    if (dladdr((void*)&module_file_path, &info) == 0 || info.dli_fname == nullptr)
        return nullptr;
    return realpath(info.dli_fname, nullptr);
}

// [host loading thread]
extern "C" OKA_VST3_EXPORT bool ModuleEntry(void*) {
    pthread_mutex_lock(&g_entry_lock);
    bool ok;
    if (module_paths_load_count() != 0) {
        ok = module_paths_attach(nullptr);
    } else {
        char* path = module_file_path();
        ok = path != nullptr && module_paths_attach(path);
        free(path);
    }
    pthread_mutex_unlock(&g_entry_lock);
    return ok;
}

// False when no entry is left to balance. [host loading thread]
extern "C" OKA_VST3_EXPORT bool ModuleExit(void) {
    pthread_mutex_lock(&g_entry_lock);
    bool ok = module_paths_detach();
    pthread_mutex_unlock(&g_entry_lock);
    return ok;
}
