// The editor views a controller has made, so that a changed value reaches
// every open editor and a controller that goes first can detach the views
// the host still holds. Slots hold no reference: a view clears its own when
// freed, and a cleared slot is reused. A cleared slot is null. All of it
// runs on the host's UI thread.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct Vst3View;

typedef struct ViewList {
    struct Vst3View** slots;
    size_t count; // slots in use or cleared
} ViewList;

// Puts `view` in the first cleared slot, else in one more slot; false when
// growing fails. [host UI thread]
bool view_list_add(ViewList* list, struct Vst3View* view);

// Clears the slot of `view`, if it has one. [host UI thread]
void view_list_remove(ViewList* list, const struct Vst3View* view);

// Frees the list itself; the views stay the host's. [host UI thread]
void view_list_free(ViewList* list);
