// Pure path rules of the news store: which names may become a folder or
// file below the base folder, and how a path's folders are walked for
// creation. No file is touched here; the walk calls back for each folder.
#pragma once
#include <stddef.h>
#include <wchar.h>

// Whether a UTF-8 component can name one folder or file directly inside its
// parent. Refused: empty names; names holding a slash, backslash, colon or a
// control character (they would reach another folder, a drive or a stream);
// names made only of dots and spaces ("..", which leave the folder, and names
// the system trims to them); and the reserved device names (CON, NUL, COM1,
// ...) that open a device instead of a file. [any thread]
bool news_component_valid(const char* text, size_t length);

// Length of the root that folder creation skips: the long or device prefix
// with its drive or UNC server and share, a network server and share, a
// drive, or nothing for a relative path. [any thread]
size_t news_path_root_length(const wchar_t* path, size_t length);

// Creates one folder; false on any failure except "already exists".
typedef bool (*NewsMakeFolderFn)(void* context, const wchar_t* folder);

// Calls `make` for every prefix of `path` that ends before a separator
// (backslash or slash; a run of them counts as one) after the root, and for
// the whole path; stops at the first failure. `path` must be terminated and
// writable: each prefix is terminated in place for the call and restored.
// [any thread]
bool news_walk_folders(wchar_t* path, NewsMakeFolderFn make, void* context);
