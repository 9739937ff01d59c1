// The key/value map format: a plain concatenation of records
//   u32 key length (>= 1), u32 value length (both little-endian),
//   key bytes, value bytes
// with no header, count, terminator or alignment. Records are written in the
// EntryMap key order.
//
// All functions: [non-audio threads].
#pragma once
#include <stddef.h>

#include "state/entry_map.h"

enum : size_t { kKvRecordHeaderSize = 8 };

// Parses `length` bytes into a new map pointing into `buffer` (borrowed like
// tar_read's). Fails with null and errno EINVAL for a key length of 0 or a
// record running past the end of the buffer, ENOMEM when memory runs out.
EntryMap* kv_map_read(const void* buffer, size_t length);

// Serializes the map into a new malloc'd buffer (the caller frees it) with
// its length stored through out_length. Returns null, leaving errno alone,
// for an empty key, a key or value of 2^32 bytes or more, or no memory.
// An empty map gives a non-null buffer of length 0.
void* kv_map_write(const EntryMap* map, size_t* out_length);
