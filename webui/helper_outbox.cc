#include "webui/helper_outbox.h"

#include <stdlib.h>
#include <string.h>

// Beyond this much unread output the helper is not reading: messages drop.
static const size_t kOutboxLimit = 64u << 20;

bool helper_outbox_reserve(HelperOutbox* out, size_t more) {
    if (out->sent > 0) {
        memmove(out->data, out->data + out->sent, out->used - out->sent);
        out->used -= out->sent;
        out->sent = 0;
    }
    if (out->used + more > kOutboxLimit)
        return false;
    if (out->used + more <= out->capacity)
        return true;
    size_t capacity = out->capacity ? out->capacity : 4096;
    while (capacity < out->used + more)
        capacity *= 2;
    uint8_t* grown = (uint8_t*)realloc(out->data, capacity);
    if (!grown)
        return false;
    out->data = grown;
    out->capacity = capacity;
    return true;
}

void helper_outbox_append(HelperOutbox* out, const void* bytes, size_t length) {
    if (length) {
        memcpy(out->data + out->used, bytes, length);
        out->used += length;
    }
}

void helper_outbox_free(HelperOutbox* out) {
    free(out->data);
    memset(out, 0, sizeof *out);
}
