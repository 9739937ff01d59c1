// Bytes for the web helper that its socket has not taken yet. Frames go in
// whole and leave from the front; the total is capped, since a helper that
// stops reading must not make the editor's memory grow without end.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct HelperOutbox {
    uint8_t* data;
    size_t used; // bytes held, sent ones included
    size_t sent; // bytes from the front already sent
    size_t capacity;
};

// Makes room for `more` bytes after the unsent ones. False past the cap or
// when memory runs out; the bytes held stay as they were. [host UI thread]
bool helper_outbox_reserve(HelperOutbox* out, size_t more);

// Appends bytes within the room reserved. [host UI thread]
void helper_outbox_append(HelperOutbox* out, const void* bytes, size_t length);

// [host UI thread]
void helper_outbox_free(HelperOutbox* out);
