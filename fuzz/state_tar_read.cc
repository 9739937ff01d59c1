// tar_read on arbitrary bytes: never reads outside the buffer, every entry
// lies inside it, and whatever it accepts and the writer can store reads back
// with the same entries.
#include <stdint.h>
#include <stdlib.h>

#include "state/tar.h"

typedef struct Bounds {
    const uint8_t* begin;
    const uint8_t* end;
    size_t count;
    size_t bytes;
} Bounds;

static int32_t check_entry(const void* key, size_t key_length, const void* value,
                           size_t value_length, void* user) {
    Bounds* b = static_cast<Bounds*>(user);
    const uint8_t* k = static_cast<const uint8_t*>(key);
    const uint8_t* v = static_cast<const uint8_t*>(value);
    if (key_length == 0 || key_length > kTarNameFieldSize)
        __builtin_trap();
    if (k < b->begin || k + key_length > b->end)
        __builtin_trap();
    if (v < b->begin || value_length > (size_t)(b->end - v))
        __builtin_trap();
    b->count++;
    b->bytes += key_length + value_length;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EntryMap* map = tar_read(data, size);
    if (!map)
        return 0;
    Bounds read = {data, data + size, 0, 0};
    entry_map_for_each(map, check_entry, &read);
    size_t length = 0;
    uint8_t* again = static_cast<uint8_t*>(tar_write(map, &length));
    entry_map_free(map);
    if (!again)
        return 0; // a 100-byte name: not ours to write
    EntryMap* reread = tar_read(again, length);
    if (!reread)
        __builtin_trap();
    Bounds second = {again, again + length, 0, 0};
    entry_map_for_each(reread, check_entry, &second);
    if (second.count != read.count || second.bytes != read.bytes)
        __builtin_trap();
    entry_map_free(reread);
    free(again);
    return 0;
}
