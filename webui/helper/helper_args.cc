#include "webui/helper/helper_args.h"

#include <string.h>

namespace {

// A decimal number from `low` to `high`, the whole text.
bool read_number(const char* text, unsigned long long low, unsigned long long high,
                 unsigned long long* out) {
    unsigned long long value = 0;
    size_t digits = 0;
    for (; text[digits] >= '0' && text[digits] <= '9'; digits++) {
        value = value * 10 + (unsigned)(text[digits] - '0');
        if (value > high)
            return false;
    }
    if (digits == 0 || text[digits] != 0 || value < low)
        return false;
    *out = value;
    return true;
}

bool read_size(const char* text, int* width, int* height) {
    const char* x = strchr(text, 'x');
    if (!x || x - text > 5)
        return false;
    char first[6] = {};
    memcpy(first, text, (size_t)(x - text));
    unsigned long long w = 0, h = 0;
    if (!read_number(first, 1, 32767, &w) || !read_number(x + 1, 1, 32767, &h))
        return false;
    *width = (int)w;
    *height = (int)h;
    return true;
}

} // namespace

bool helper_parse_args(int argc, char* const argv[], HelperArgs* out) {
    enum { kFd = 1, kParent = 2, kSize = 4, kRoot = 8, kHostPid = 16, kAll = 31 };
    unsigned seen = 0;
    HelperArgs args = {};
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc)
            return false;
        const char* name = argv[i];
        const char* value = argv[i + 1];
        unsigned long long number = 0;
        unsigned option;
        bool ok;
        if (strcmp(name, "--fd") == 0) {
            option = kFd;
            ok = read_number(value, 0, 1 << 20, &number);
            args.fd = (int)number;
        } else if (strcmp(name, "--parent") == 0) {
            option = kParent;
            ok = read_number(value, 1, 0xFFFFFFFFull, &number);
            args.parent = (unsigned long)number;
        } else if (strcmp(name, "--size") == 0) {
            option = kSize;
            ok = read_size(value, &args.width, &args.height);
        } else if (strcmp(name, "--root") == 0) {
            option = kRoot;
            ok = value[0] != 0;
            args.root = value;
        } else if (strcmp(name, "--host-pid") == 0) {
            option = kHostPid;
            ok = read_number(value, 1, 0x7FFFFFFF, &number);
            args.host_pid = (long)number;
        } else {
            return false;
        }
        if (!ok || (seen & option))
            return false;
        seen |= option;
    }
    if (seen != kAll)
        return false;
    *out = args;
    return true;
}
