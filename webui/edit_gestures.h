// The gestures of one editor that its host saw begin and not yet end, so
// that closing the editor can end them: a host left with a begun gesture
// keeps the parameter touched, which latches its automation. Indices 0..63.
#pragma once
#include <stdint.h>

typedef struct EditGestures {
    uint64_t open;
} EditGestures;

// True when the gesture on `index` was not open and now is: the host must
// be told it begins. [host UI thread]
static inline bool edit_gestures_begin(EditGestures* g, uint32_t index) {
    uint64_t bit = index < 64 ? (uint64_t)1 << index : 0;
    bool was_open = (g->open & bit) != 0;
    g->open |= bit;
    return bit != 0 && !was_open;
}

// True when the gesture on `index` was open and now is not: the host must be
// told it ends. [host UI thread]
static inline bool edit_gestures_end(EditGestures* g, uint32_t index) {
    uint64_t bit = index < 64 ? (uint64_t)1 << index : 0;
    bool was_open = (g->open & bit) != 0;
    g->open &= ~bit;
    return was_open;
}

// Ends every open gesture, in index order, through end(user, index).
// [host UI thread]
static inline void edit_gestures_end_all(EditGestures* g, void (*end)(void*, uint32_t),
                                         void* user) {
    for (uint32_t i = 0; i < 64; ++i) {
        if (edit_gestures_end(g, i))
            end(user, i);
    }
}
