// A test-only DLL built from the module's entry and folder code, exporting
// what the module keeps to itself: the folders DllMain worked out.
#include "vst3/module_paths.h"

extern "C" __declspec(dllexport) const char* probe_module_folder(void) {
    return moduleFolder(nullptr);
}
extern "C" __declspec(dllexport) const char* probe_resources_folder(void) {
    return resourcesFolder(nullptr);
}
extern "C" __declspec(dllexport) int probe_load_count(void) {
    return module_paths_load_count();
}
