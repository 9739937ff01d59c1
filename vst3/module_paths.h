// The two process-wide folders the editor needs: the module folder (the
// module file and WebView2Loader.dll lie there) and the resources folder (the
// editor page). Both are UTF-8 inside the module, whatever characters the
// installation path holds; on Windows the wide functions are used at the
// boundary (dll_main.cc), on Linux the path is the loader's own bytes
// (module_entry_linux.cc).
#pragma once
#include <stddef.h>

// The folder separator of module file paths on this platform.
#ifdef _WIN32
#define MODULE_PATH_SEPARATOR '\\'
#else
#define MODULE_PATH_SEPARATOR '/'
#endif

// Splits a module file path (UTF-8, folders separated by `separator`) into
// the two folders: "...\Contents\x86_64-win\m.vst3" gives
// "...\Contents\x86_64-win" and "...\Contents\Resources"; with '/' the same
// for "/.../Contents/x86_64-linux/m.so". Both are new heap strings the
// caller frees. False (nothing allocated) when the path has fewer than two
// separators or memory runs out. [any thread]
bool module_paths_split(const char* file_path, char separator, char** module_folder,
                        char** resources_folder);

// The module's load: the first attach computes the folders from the module
// file path (platform separators), later ones only count. False when the
// folders cannot be computed (the module then fails to load). [loader thread:
// under the loader lock on Windows, the host's loading thread on Linux]
bool module_paths_attach(const char* file_path);

// The module's unload: the detach that balances the first attach frees both
// folders. False when no attach was left to balance. [as attach]
bool module_paths_detach(void);

// Number of attaches not yet matched by a detach. [any thread]
int module_paths_load_count(void);

// The folders while the module is loaded; the user data is ignored (they are
// getters handed to the web view host). Null before the first attach.
// [any thread]
const char* moduleFolder(void* user_data);
const char* resourcesFolder(void* user_data);
