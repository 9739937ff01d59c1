#include "news/news_path.h"

#include <string.h>

namespace {

bool is_separator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool is_letter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c;
}

// The stem before the first dot, compared without case.
bool is_device_name(const char* text, size_t length) {
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    size_t stem = 0;
    while (stem < length && text[stem] != '.')
        stem++;
    while (stem > 0 && text[stem - 1] == ' ')
        stem--;
    char name[8];
    if (stem == 0 || stem >= sizeof name)
        return false;
    for (size_t i = 0; i < stem; i++)
        name[i] = upper(text[i]);
    name[stem] = 0;
    for (const char* device : kDevices) {
        if (strcmp(name, device) == 0)
            return true;
    }
    bool numbered = stem == 4 && (memcmp(name, "COM", 3) == 0 || memcmp(name, "LPT", 3) == 0);
    return numbered && name[3] >= '1' && name[3] <= '9';
}

// Skips one name (up to the next separator) and the separators after it.
size_t skip_name(const wchar_t* path, size_t length, size_t at) {
    while (at < length && !is_separator(path[at]))
        at++;
    while (at < length && is_separator(path[at]))
        at++;
    return at;
}

bool has_prefix(const wchar_t* path, size_t length, const wchar_t* prefix) {
    size_t n = wcslen(prefix);
    return length >= n && wmemcmp(path, prefix, n) == 0;
}

} // namespace

bool news_component_valid(const char* text, size_t length) {
    if (!text || length == 0)
        return false;
    bool only_dots_and_spaces = true;
    for (size_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)text[i];
        if (c < 0x20 || c == 0x7f || c == '/' || c == '\\' || c == ':')
            return false;
        if (c != '.' && c != ' ')
            only_dots_and_spaces = false;
    }
    return !only_dots_and_spaces && !is_device_name(text, length);
}

size_t news_path_root_length(const wchar_t* path, size_t length) {
    bool long_or_device = length >= 4 && path[0] == L'\\' && path[1] == L'\\' &&
                          (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
    if (long_or_device) {
        const wchar_t* after = path + 4;
        size_t rest = length - 4;
        if (has_prefix(after, rest, L"UNC\\")) {
            return skip_name(path, length, skip_name(path, length, 8));
        }
        if (rest >= 2 && is_letter(after[0]) && after[1] == L':')
            return 6;
        return 4;
    }
    if (length >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        return skip_name(path, length, skip_name(path, length, 2));
    }
    if (length >= 2 && is_letter(path[0]) && path[1] == L':')
        return 2;
    return 0;
}

bool news_walk_folders(wchar_t* path, NewsMakeFolderFn make, void* context) {
    size_t length = wcslen(path);
    size_t at = news_path_root_length(path, length);
    while (at < length && is_separator(path[at]))
        at++;
    size_t name_start = at;
    for (; at < length; at++) {
        if (!is_separator(path[at]))
            continue;
        if (at > name_start) {
            wchar_t kept = path[at];
            path[at] = 0;
            bool made = make(context, path);
            path[at] = kept;
            if (!made)
                return false;
        }
        name_start = at + 1;
    }
    if (name_start < length)
        return make(context, path);
    return true;
}
