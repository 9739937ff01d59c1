// The page's edits on their way to the host, through the host's component
// handler.
#include "vst3/view_edits.h"

#include <math.h>
#include <stdlib.h>

#include "vst3/vst3_controller.h"

// The page's value goes through the same snapping as host values, is stored
// and reported to the host. Returns the handler to call, or null when the
// edit goes no further (no handler: the value is only stored). [host UI thread]
static IComponentHandler* store_edit(Vst3View* view, uint32_t index, float value, ParamID* id,
                                     double* normalized) {
    Vst3Controller* c = view->controller;
    // A NaN is no value (the controller refuses it from the host too).
    if (c == nullptr || index >= kParameterCount || isnan(value))
        return nullptr;
    double stored = snapAndClamp(index, (double)value);
    c->values[index] = stored;
    *id = kParameterDescriptions[index].param_id;
    *normalized = plainToNormalized(index, stored);
    return c->component_handler;
}

// An edit callback may lead the host to close the editor or release the view
// (from inside beginEdit or performEdit): the view then stays allocated until
// the callback returns, and the edit goes no further. [host UI thread]
static void enter_edit(Vst3View* view) {
    ++view->edit_depth;
}
static void leave_edit(Vst3View* view) {
    if (--view->edit_depth == 0 && view->free_pending)
        free(view);
}
static bool editor_open(const Vst3View* view) {
    return view->web_host != nullptr;
}

typedef enum EditStep { kEditBegin, kEditSet, kEditEnd } EditStep;

// Begin: beginEdit (once per gesture, whatever the page sends) and
// performEdit; set: performEdit; end: performEdit and endEdit (once per
// gesture). Each host call may close the editor, after which the edit goes
// no further.
// [host UI thread]
static int32_t hand_edit_to_host(Vst3View* view, uint32_t index, float value, EditStep step) {
    ParamID id = 0;
    double normalized = 0.0;
    enter_edit(view);
    IComponentHandler* h = store_edit(view, index, value, &id, &normalized);
    if (h != nullptr) {
        if (step == kEditBegin && edit_gestures_begin(&view->gestures, index))
            h->vtbl->beginEdit(h, id);
        if (editor_open(view))
            h->vtbl->performEdit(h, id, normalized);
        // Only a gesture the host saw begin ends: one already ended for the
        // page (its web view failed) is not ended twice.
        if (step == kEditEnd && editor_open(view) && edit_gestures_end(&view->gestures, index))
            h->vtbl->endEdit(h, id);
    }
    leave_edit(view);
    return 0;
}

int32_t view_begin_edit(void* user, uint32_t index, float value) {
    return hand_edit_to_host((Vst3View*)user, index, value, kEditBegin);
}

int32_t view_set_edit(void* user, uint32_t index, float value) {
    return hand_edit_to_host((Vst3View*)user, index, value, kEditSet);
}

int32_t view_end_edit(void* user, uint32_t index, float value) {
    return hand_edit_to_host((Vst3View*)user, index, value, kEditEnd);
}

// Ends one gesture the closing editor leaves open. [host UI thread]
void end_left_gesture(void* user, uint32_t index) {
    Vst3View* view = (Vst3View*)user;
    Vst3Controller* c = view->controller;
    IComponentHandler* h = c != nullptr ? c->component_handler : nullptr;
    if (h != nullptr)
        h->vtbl->endEdit(h, kParameterDescriptions[index].param_id);
}
