#include "platform/utf8_check.h"

#include <stdint.h>

bool utf8_is_valid(const char* text, size_t length) {
    const unsigned char* s = (const unsigned char*)text;
    size_t i = 0;
    while (i < length) {
        unsigned char c = s[i];
        size_t extra;
        uint32_t least; // the smallest code point that needs this many bytes
        uint32_t code;
        if (c < 0x80) {
            i++;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, least = 0x80, code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, least = 0x800, code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, least = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        if (length - i <= extra)
            return false;
        for (size_t k = 1; k <= extra; k++) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            code = code << 6 | (s[i + k] & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}
