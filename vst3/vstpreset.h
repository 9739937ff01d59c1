// The .vstpreset file: how VST3 hosts keep a preset on disk. Little-endian
// throughout:
//   0  "VST3", format version (int32, 1), the component's class id as 32
//      upper-case hex digits, the chunk list's offset (int64)
//   48 the chunks' data, one after another
//   then the chunk list: "List", entry count (int32), and per entry the
//      chunk id (4 ASCII bytes), its data's offset and size (int64 each)
// A host hands the "Comp" chunk to the component's setState as a stream.
// [build time]
#pragma once
#include <stddef.h>
#include <stdint.h>

enum : uint32_t {
    kVstPresetHeaderSize = 48,
    kVstPresetClassIdLength = 32,
    kVstPresetListEntrySize = 20,
};

// A preset file holding one chunk, "Comp", with the component state `comp`.
// Returns a new malloc'd buffer (the caller frees it) and its length, or
// null when memory runs out or the class id is not 32 characters.
void* vstpreset_write(const char* class_id, const void* comp, size_t comp_length,
                      size_t* out_length);
