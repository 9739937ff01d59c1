#include "vst3/view_list.h"

#include <stdlib.h>

bool view_list_add(ViewList* list, Vst3View* view) {
    for (size_t i = 0; i < list->count; ++i) {
        if (list->slots[i] == nullptr) {
            list->slots[i] = view;
            return true;
        }
    }
    Vst3View** grown = (Vst3View**)realloc(list->slots, (list->count + 1) * sizeof(Vst3View*));
    if (grown == nullptr)
        return false;
    list->slots = grown;
    list->slots[list->count++] = view;
    return true;
}

void view_list_remove(ViewList* list, const Vst3View* view) {
    for (size_t i = 0; i < list->count; ++i) {
        if (list->slots[i] == view)
            list->slots[i] = nullptr;
    }
}

void view_list_free(ViewList* list) {
    free(list->slots);
    list->slots = nullptr;
    list->count = 0;
}
