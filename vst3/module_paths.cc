#include "vst3/module_paths.h"

#include <stdlib.h>
#include <string.h>

static const char kResourcesName[] = "Resources";

static int g_load_count = 0;
static char* g_module_folder = nullptr;
static char* g_resources_folder = nullptr;

// The first `length` bytes of text, then (when `name` is given) the
// separator and the name. [any thread]
static char* copy_prefix(const char* text, size_t length, char separator, const char* name) {
    size_t name_length = name != nullptr ? strlen(name) + 1 : 0;
    char* out = (char*)malloc(length + name_length + 1);
    if (out == nullptr)
        return nullptr;
    memcpy(out, text, length);
    if (name_length > 0) {
        out[length] = separator;
        memcpy(out + length + 1, name, name_length - 1);
    }
    out[length + name_length] = '\0';
    return out;
}

bool module_paths_split(const char* file_path, char separator, char** module_folder,
                        char** resources_folder) {
    if (file_path == nullptr)
        return false;
    // UTF-8 never uses an ASCII byte inside a multi-byte character, so the
    // last separator byte is the last separator.
    const char* last = strrchr(file_path, separator);
    if (last == nullptr)
        return false;
    size_t module_length = (size_t)(last - file_path);
    const char* parent_end = nullptr;
    for (const char* p = file_path; p < last; ++p) {
        if (*p == separator)
            parent_end = p;
    }
    if (parent_end == nullptr)
        return false;
    char* module = copy_prefix(file_path, module_length, separator, nullptr);
    char* resources =
        copy_prefix(file_path, (size_t)(parent_end - file_path), separator, kResourcesName);
    if (module == nullptr || resources == nullptr) {
        free(module);
        free(resources);
        return false;
    }
    *module_folder = module;
    *resources_folder = resources;
    return true;
}

bool module_paths_attach(const char* file_path) {
    if (g_load_count != 0) {
        ++g_load_count;
        return true;
    }
    if (!module_paths_split(file_path, MODULE_PATH_SEPARATOR, &g_module_folder,
                            &g_resources_folder))
        return false;
    g_load_count = 1;
    return true;
}

bool module_paths_detach(void) {
    if (g_load_count <= 0)
        return false;
    if (--g_load_count > 0)
        return true;
    free(g_module_folder);
    free(g_resources_folder);
    g_module_folder = nullptr;
    g_resources_folder = nullptr;
    return true;
}

int module_paths_load_count(void) {
    return g_load_count;
}

const char* moduleFolder(void*) {
    return g_module_folder;
}

const char* resourcesFolder(void*) {
    return g_resources_folder;
}
