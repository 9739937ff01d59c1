// kv_map_read on arbitrary bytes: accepted input is consumed exactly, so
// writing the map back gives as many bytes as were read, and those read
// back as the same number of pairs.
#include <stdint.h>
#include <stdlib.h>

#include "state/kv_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EntryMap* map = kv_map_read(data, size);
    if (!map)
        return 0;
    size_t count = entry_map_count(map);
    size_t length = 0;
    void* again = kv_map_write(map, &length);
    entry_map_free(map);
    if (!again || length != size)
        __builtin_trap();
    EntryMap* reread = kv_map_read(again, length);
    if (!reread || entry_map_count(reread) != count)
        __builtin_trap();
    entry_map_free(reread);
    free(again);
    return 0;
}
