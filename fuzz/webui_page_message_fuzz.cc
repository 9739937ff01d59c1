// Page messages from the editor page are outside bytes: whatever they hold,
// the dispatcher may write only inside the value cache and read only inside
// the message. The first byte picks the cache size (0 to 63), the rest is the
// message; both live in exactly sized heap blocks so ASan sees any overstep.
#include "webui/page_message_parse.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

struct Context {
    const char* begin;
    const char* end; // the terminator
    size_t count;
};

void check(bool ok) {
    if (!ok)
        abort();
}

int32_t edit(void* c, uint32_t index, float) {
    check(index < ((Context*)c)->count);
    return 0;
}

void on_text(void* c, const char* utf8) {
    Context* x = (Context*)c;
    // Inside the message, at worst at its terminator (a bare "m").
    check(utf8 >= x->begin && utf8 <= x->end);
}

int32_t post(void* c, uint32_t index, float) {
    check(index < ((Context*)c)->count);
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    size_t count = data[0] % 64;
    size_t length = size - 1;
    char* message = (char*)malloc(length + 1);
    memcpy(message, data + 1, length);
    message[length] = 0;
    float* cache = (float*)malloc(count ? count * sizeof(float) : 1);
    for (size_t i = 0; i < count; ++i)
        cache[i] = 0.0f;
    Context context{message, message + length, count};
    PageDispatchTable table{&context, {edit, edit, edit}, on_text, post, cache, count};
    // The page's text may hold a NUL of its own; the dispatcher sees the bytes
    // before it, as the converted string would end there.
    page_message_dispatch(&table, message, strlen(message));
    free(cache);
    free(message);
    return 0;
}
