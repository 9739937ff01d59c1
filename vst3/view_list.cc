#include "vst3/view_list.h"

#include <stdlib.h>

#include "vst3/vst3_view.h"

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

// Each call returns once that editor took the value.
void view_list_send(const ViewList* list, uint32_t index, float value) {
    for (size_t i = 0; i < list->count; ++i) {
        if (list->slots[i] != nullptr)
            vst3_view_send_value(list->slots[i], index, value);
    }
}

void view_list_release(ViewList* list) {
    for (size_t i = 0; i < list->count; ++i) {
        if (list->slots[i] != nullptr)
            vst3_view_forget_controller(list->slots[i]);
    }
    free(list->slots);
    list->slots = nullptr;
    list->count = 0;
}
