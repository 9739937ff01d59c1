// The two process-wide folders the editor needs: the module folder (the
// module file and WebView2Loader.dll lie there) and the resources folder (the
// editor page). Both are UTF-8 inside the module, whatever characters the
// installation path holds; the wide Windows functions are used at the
// boundary (see dll_main.cc).
#pragma once
#include <stddef.h>

// Splits a module file path (UTF-8, backslash separators) into the two
// folders: "...\Contents\x86_64-win\m.vst3" gives "...\Contents\x86_64-win"
// and "...\Contents\Resources". Both are new heap strings the caller frees.
// False (nothing allocated) when the path has fewer than two backslashes or
// memory runs out. [any thread]
bool module_paths_split(const char* file_path, char** module_folder, char** resources_folder);

// Process attach: the first attach computes the folders from the module file
// path, later ones only count. False when the folders cannot be computed
// (the module then fails to load). [loader thread, under the loader lock]
bool module_paths_attach(const char* file_path);

// Process detach: the detach that balances the first attach frees both
// folders. [loader thread, under the loader lock]
void module_paths_detach(void);

// Number of attaches not yet matched by a detach. [any thread]
int module_paths_load_count(void);

// The folders while the module is loaded; the user data is ignored (they are
// getters handed to the web view host). Null before the first attach.
// [any thread]
const char* moduleFolder(void* user_data);
const char* resourcesFolder(void* user_data);
