#include "webui/page_text.h"

namespace {

void put_hex8(char* out, uint32_t value) {
    static const char kDigits[] = "0123456789abcdef";
    for (int i = 7; i >= 0; --i, value >>= 4)
        out[i] = kDigits[value & 15];
}

} // namespace

void page_value_message(char out[kPageValueMessageLength + 1], uint32_t index, uint32_t bits) {
    out[0] = 's';
    out[1] = ' ';
    put_hex8(out + 2, index);
    out[10] = ' ';
    put_hex8(out + 11, bits);
    out[19] = 0;
}
