#include "vst3/vst3_view.h"

#include <stdlib.h>
#include <string.h>

#include "vst3/view_edits.h"
#include "vst3/view_window.h"
#include "vst3/vst3_controller.h"
#include "vst3/vst3_unknown.h"
#include "webui/web_view.h"

static Vst3View* from_iface(void* self) {
    return (Vst3View*)self;
}

static bool is_platform_type(const char* type) {
    return type != nullptr && strcmp(type, kViewPlatformType) == 0;
}

// ---- editor start and stop ---------------------------------------------------

// Stops the editor, if running, and ends every gesture the host saw begin:
// no edit reaches the host after this. [host UI thread]
static void stop_editor(Vst3View* view) {
    if (view->web_host == nullptr)
        return;
    view_window_close(view);
    edit_gestures_end_all(&view->gestures, end_left_gesture, view);
}

// Inputs first, then the four outputs, each as the controller holds it.
// [host UI thread]
static void send_all_values(Vst3View* view) {
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        webview::setParameter(view->web_host, i, (float)view->controller->values[i]);
    }
}

// [host UI thread]
static tresult view_attached(IPlugView* self, void* parent, const char* type) {
    Vst3View* view = from_iface(self);
    if (!is_platform_type(type) || view->web_host != nullptr)
        return kInvalidArgument;
    if (view->controller == nullptr)
        return kResultFalse;
    tresult opened = view_window_open(view, parent);
    if (opened != kResultOk)
        return opened;
    send_all_values(view);
    return kResultOk;
}

// Nothing to do when detached. [host UI thread]
static tresult view_removed(IPlugView* self) {
    stop_editor(from_iface(self));
    return kResultOk;
}

// [host UI thread]
static tresult view_get_size(IPlugView* self, ViewRect* rect) {
    Vst3View* view = from_iface(self);
    if (rect == nullptr)
        return kInvalidArgument;
    memset(rect, 0, sizeof *rect);
    int32_t width = 0, height = 0;
    if (view->web_host != nullptr && view_window_size(view, &width, &height)) {
        rect->right = width;
        rect->bottom = height;
        if (width > 0 && height > 0)
            return kResultOk;
    }
    rect->right = kVst3ViewWidth;
    rect->bottom = kVst3ViewHeight;
    return kResultOk;
}

// [host UI thread]
static tresult view_on_size(IPlugView* self, ViewRect* rect) {
    Vst3View* view = from_iface(self);
    if (view->web_host == nullptr)
        return kResultFalse;
    if (rect == nullptr)
        return kInvalidArgument;
    view_window_resize(view, rect->right - rect->left, rect->bottom - rect->top);
    return kResultOk;
}

// ---- the remaining slots -----------------------------------------------------

// [host UI thread]
static tresult view_query_interface(FUnknown* self, const uint8_t* iid, void** obj) {
    const Vst3Facet facets[] = {{kIidFUnknown, self}, {kIidIPlugView, self}};
    return vst3_query_facets(facets, 2, &from_iface(self)->ref_count, iid, obj);
}

// [host UI thread]
static uint32_t view_add_ref(FUnknown* self) {
    return ref_count_add(&from_iface(self)->ref_count);
}

// Frees the controller's list slot so the next createView can reuse it.
// [host UI thread]
static void leave_controller_list(Vst3View* view) {
    if (view->controller != nullptr)
        view_list_remove(&view->controller->views, view);
}

// [host UI thread]
static uint32_t view_release(FUnknown* self) {
    Vst3View* view = from_iface(self);
    uint32_t count = ref_count_release(&view->ref_count);
    if (count == 0) {
        stop_editor(view);
        leave_controller_list(view);
        if (view->edit_depth > 0)
            view->free_pending = true;
        else
            free(view);
    }
    return count;
}

// [host UI thread]
static tresult view_is_platform_type_supported(IPlugView*, const char* type) {
    return is_platform_type(type) ? kResultOk : kResultFalse;
}
static tresult view_on_wheel(IPlugView*, float) {
    return kResultFalse;
}
static tresult view_on_key(IPlugView*, char16, int16_t, int16_t) {
    return kResultFalse;
}
static tresult view_on_focus(IPlugView*, TBool) {
    return kResultFalse;
}
static tresult view_set_frame(IPlugView* self, FUnknown* frame) {
    from_iface(self)->frame = frame;
    return kResultOk;
}
static tresult view_can_resize(IPlugView*) {
    return kResultOk;
}
// Every size is accepted as it is. [host UI thread]
static tresult view_check_size_constraint(IPlugView*, ViewRect*) {
    return kResultOk;
}

static const IPlugViewVtbl kViewVtbl = {
    view_query_interface,
    view_add_ref,
    view_release,
    view_is_platform_type_supported,
    view_attached,
    view_removed,
    view_on_wheel,
    view_on_key,
    view_on_key,
    view_get_size,
    view_on_size,
    view_on_focus,
    view_set_frame,
    view_can_resize,
    view_check_size_constraint,
};

Vst3View* vst3_view_new(Vst3Controller* controller) {
    Vst3View* view = (Vst3View*)calloc(1, sizeof(Vst3View));
    if (view == nullptr)
        return nullptr;
    view->vtbl = &kViewVtbl;
    ref_count_init(&view->ref_count, 1);
    view->controller = controller;
    return view;
}

void vst3_view_send_value(Vst3View* view, uint32_t index, float value) {
    if (view->web_host != nullptr)
        webview::setParameter(view->web_host, index, value);
}

void vst3_view_forget_controller(Vst3View* view) {
    view->controller = nullptr;
}
