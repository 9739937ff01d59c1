// Where the news files live on Linux: $XDG_DATA_HOME/Zarvosonic, or
// $HOME/.local/share/Zarvosonic when XDG_DATA_HOME is unset, empty or not an
// absolute path (the base directory rules of freedesktop.org).
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "news/news_files.h"
#include "news/news_path.h"
#include "platform/utf8_check.h"

namespace {

const char kBaseName[] = "/Zarvosonic";

bool absolute(const char* path) {
    return path && path[0] == '/';
}

// The data folder and the text to append to it for the default.
bool base_folder(const char** folder, const char** below) {
    const char* data = getenv("XDG_DATA_HOME");
    if (absolute(data)) {
        *folder = data;
        *below = "";
        return true;
    }
    const char* home = getenv("HOME");
    if (!absolute(home))
        return false;
    *folder = home;
    *below = "/.local/share";
    return true;
}

bool usable(NewsSlice part) {
    return news_component_valid(part.data, part.length) && utf8_is_valid(part.data, part.length);
}

// Makes one folder (private to the user, as data folders are).
bool make_folder(const char* folder) {
    return mkdir(folder, 0700) == 0 || errno == EEXIST;
}

} // namespace

NewsPathResult entryPath(const NewsComponents* components, bool folderOnly, char** out) {
    *out = nullptr;
    const char* folder = nullptr;
    const char* below = nullptr;
    if (!base_folder(&folder, &below))
        return kNewsPathInvalid;
    size_t used = folderOnly && components->count > 0 ? components->count - 1 : components->count;
    size_t total = strlen(folder) + strlen(below) + strlen(kBaseName) + 1;
    for (size_t i = 0; i < used && i < 2; i++) {
        if (!usable(components->part[i]))
            return kNewsPathInvalid;
        total += 1 + components->part[i].length;
    }
    char* path = (char*)malloc(total);
    if (!path)
        return kNewsPathNoMemory;
    size_t at = 0;
    const char* pieces[3] = {folder, below, kBaseName};
    for (const char* piece : pieces) {
        memcpy(path + at, piece, strlen(piece));
        at += strlen(piece);
    }
    for (size_t i = 0; i < used && i < 2; i++) {
        path[at++] = '/';
        memcpy(path + at, components->part[i].data, components->part[i].length);
        at += components->part[i].length;
    }
    path[at] = 0;
    *out = path;
    return kNewsPathOk;
}

bool ensureFolders(const char* path) {
    size_t length = strlen(path);
    char* prefix = (char*)malloc(length + 1);
    if (!prefix)
        return false;
    memcpy(prefix, path, length + 1);
    bool made = true;
    // Every prefix that ends before a separator (runs count as one), then
    // the whole path; the root itself is never made.
    for (size_t at = 1; made && at <= length; at++) {
        bool end = at == length || (path[at] == '/' && path[at - 1] != '/');
        if (!end)
            continue;
        prefix[at] = 0;
        made = make_folder(prefix);
        prefix[at] = path[at];
    }
    free(prefix);
    return made;
}
