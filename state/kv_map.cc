// The key/value record codec of info.map and parameters.map.
#include "state/kv_map.h"

#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

static uint32_t read_u32le(const unsigned char* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static void write_u32le(unsigned char* p, uint32_t v) {
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

EntryMap* kv_map_read(const void* buffer, size_t length) {
    const unsigned char* bytes = static_cast<const unsigned char*>(buffer);
    EntryMap* map = entry_map_new();
    if (!map)
        return entry_map_fail(nullptr, ENOMEM);
    size_t offset = 0;
    while (offset < length) {
        size_t room = length - offset;
        if (room < kKvRecordHeaderSize)
            return entry_map_fail(map, EINVAL);
        const unsigned char* record = bytes + offset;
        // 64-bit sizes: two 32-bit lengths cannot overflow the sum below.
        uint64_t key_length = read_u32le(record);
        uint64_t value_length = read_u32le(record + 4);
        if (key_length == 0)
            return entry_map_fail(map, EINVAL);
        if (key_length + value_length > room - kKvRecordHeaderSize)
            return entry_map_fail(map, EINVAL);
        const unsigned char* key = record + kKvRecordHeaderSize;
        if (entry_map_insert(map, key, key_length, key + key_length, value_length) != 0)
            return entry_map_fail(map, ENOMEM);
        offset += kKvRecordHeaderSize + key_length + value_length;
    }
    return map;
}

typedef struct KvOutput {
    unsigned char* data;
    size_t length;
} KvOutput;

static int32_t append_record(const void* key, size_t key_length, const void* value,
                             size_t value_length, void* user) {
    KvOutput* out = static_cast<KvOutput*>(user);
    // The reader refuses empty keys; 32-bit length fields bound the rest.
    if (key_length == 0 || key_length > UINT32_MAX || value_length > UINT32_MAX)
        return EINVAL;
    size_t grow = kKvRecordHeaderSize + key_length + value_length;
    unsigned char* data = static_cast<unsigned char*>(realloc(out->data, out->length + grow));
    if (!data)
        return ENOMEM;
    out->data = data;
    unsigned char* record = data + out->length;
    out->length += grow;
    write_u32le(record, (uint32_t)key_length);
    write_u32le(record + 4, (uint32_t)value_length);
    memcpy(record + kKvRecordHeaderSize, key, key_length);
    if (value_length)
        memcpy(record + kKvRecordHeaderSize + key_length, value, value_length);
    return 0;
}

void* kv_map_write(const EntryMap* map, size_t* out_length) {
    int saved_errno = errno;
    // One byte up front so that an empty map still succeeds with a real
    // buffer: an empty map is valid, not a failure.
    KvOutput out = {static_cast<unsigned char*>(malloc(1)), 0};
    if (out.data && entry_map_for_each(map, append_record, &out) == 0) {
        *out_length = out.length;
        return out.data;
    }
    free(out.data);
    errno = saved_errno;
    return nullptr;
}
