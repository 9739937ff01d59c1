// state_archive_read on arbitrary bytes: a failure leaves nothing allocated
// (LeakSanitizer), and an accepted state that the writer can store reads
// back with the same pairs and extras.
#include <stdint.h>
#include <stdlib.h>

#include "state/state_archive.h"

static bool same_counts(const StateArchive* a, const StateArchive* b) {
    return entry_map_count(a->info) == entry_map_count(b->info) &&
           entry_map_count(a->parameters) == entry_map_count(b->parameters) &&
           entry_map_count(a->inner_extras) == entry_map_count(b->inner_extras) &&
           entry_map_count(a->outer_extras) == entry_map_count(b->outer_extras);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StateArchive archive;
    if (state_archive_read(&archive, data, size) != 0) {
        if (archive.info || archive.parameters || archive.inner_extras || archive.outer_extras)
            __builtin_trap();
        return 0;
    }
    size_t length = 0;
    void* again = state_archive_write(&archive, &length);
    if (again) {
        StateArchive reread;
        if (state_archive_read(&reread, again, length) != 0)
            __builtin_trap();
        if (!same_counts(&archive, &reread))
            __builtin_trap();
        state_archive_free(&reread);
        free(again);
    }
    state_archive_free(&archive);
    return 0;
}
