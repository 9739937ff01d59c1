#include "news/news_path.h"

#include <string.h>

namespace {

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool isLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c;
}

// The stem before the first dot, compared without case.
bool isDeviceName(const char* text, size_t length) {
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
size_t skipName(const wchar_t* path, size_t length, size_t at) {
    while (at < length && !isSeparator(path[at]))
        at++;
    while (at < length && isSeparator(path[at]))
        at++;
    return at;
}

bool hasPrefix(const wchar_t* path, size_t length, const wchar_t* prefix) {
    size_t n = wcslen(prefix);
    return length >= n && wmemcmp(path, prefix, n) == 0;
}

} // namespace

bool newsComponentValid(const char* text, size_t length) {
    if (!text || length == 0)
        return false;
    bool onlyDotsAndSpaces = true;
    for (size_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)text[i];
        if (c < 0x20 || c == 0x7f || c == '/' || c == '\\' || c == ':')
            return false;
        if (c != '.' && c != ' ')
            onlyDotsAndSpaces = false;
    }
    return !onlyDotsAndSpaces && !isDeviceName(text, length);
}

size_t newsPathRootLength(const wchar_t* path, size_t length) {
    bool longOrDevice = length >= 4 && path[0] == L'\\' && path[1] == L'\\' &&
                        (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
    if (longOrDevice) {
        const wchar_t* after = path + 4;
        size_t rest = length - 4;
        if (hasPrefix(after, rest, L"UNC\\")) {
            return skipName(path, length, skipName(path, length, 8));
        }
        if (rest >= 2 && isLetter(after[0]) && after[1] == L':')
            return 6;
        return 4;
    }
    if (length >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        return skipName(path, length, skipName(path, length, 2));
    }
    if (length >= 2 && isLetter(path[0]) && path[1] == L':')
        return 2;
    return 0;
}

bool newsWalkFolders(wchar_t* path, NewsMakeFolderFn make, void* context) {
    size_t length = wcslen(path);
    size_t at = newsPathRootLength(path, length);
    while (at < length && isSeparator(path[at]))
        at++;
    size_t nameStart = at;
    for (; at < length; at++) {
        if (!isSeparator(path[at]))
            continue;
        if (at > nameStart) {
            wchar_t kept = path[at];
            path[at] = 0;
            bool made = make(context, path);
            path[at] = kept;
            if (!made)
                return false;
        }
        nameStart = at + 1;
    }
    if (nameStart < length)
        return make(context, path);
    return true;
}
