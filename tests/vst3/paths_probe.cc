// A test-only module built from the module's entry and folder code, exporting
// what the module keeps to itself: the folders its entry worked out.
#include "vst3/module_paths.h"

#ifdef _WIN32
#define PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

PROBE_EXPORT const char* probe_module_folder(void) {
    return moduleFolder(nullptr);
}
PROBE_EXPORT const char* probe_resources_folder(void) {
    return resourcesFolder(nullptr);
}
PROBE_EXPORT int probe_load_count(void) {
    return module_paths_load_count();
}
