#include "lv2/lv2_ui.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "lv2/lv2_ports.h"
#include "lv2/lv2_uris.h"
#include "webui/news_page_handler.h"
#include "webui/web_view.h"

enum : int { kUiWidth = 700, kUiHeight = 677 };

// ---- edits from the page -----------------------------------------------------

float lv2_ui_port_value(uint32_t index, float plain) {
    // The port conversion inverts `bypass` and snaps like the plug-in does;
    // inverting is its own inverse, so it also turns the page's sense into
    // the enable port's.
    return lv2_port_to_plain(index, plain);
}

// The control port write of one edit; false for outputs, unknown indices and
// NaN (which is no value). [host UI thread]
static bool write_edit(Lv2Ui* ui, uint32_t index, float value, uint32_t* port) {
    if (index >= kInputParameterCount || isnan(value))
        return false;
    float x = lv2_ui_port_value(index, value);
    *port = lv2_port_of_parameter(index);
    ui->write_function(ui->controller, *port, sizeof x, 0, &x);
    return true;
}

// [host UI thread]
static void touch(Lv2Ui* ui, uint32_t port, bool grabbed) {
    if (ui->has_touch && ui->touch.touch != nullptr)
        ui->touch.touch(ui->touch.handle, port, grabbed);
}

// A host may clean the UI up from inside its write function: the UI then
// stays allocated until the edit callback returns, and the edit goes no
// further. [host UI thread]
static void enter_edit(Lv2Ui* ui) {
    ++ui->edit_depth;
}
static void free_ui(Lv2Ui* ui);
static void leave_edit(Lv2Ui* ui) {
    if (--ui->edit_depth == 0 && ui->free_pending)
        free_ui(ui);
}

// The grab goes before the first write, so the host sees the whole gesture;
// a gesture already grabbed is not grabbed twice. [host UI thread]
static int32_t ui_begin_edit(void* user, uint32_t index, float value) {
    Lv2Ui* ui = (Lv2Ui*)user;
    if (index >= kInputParameterCount || isnan(value))
        return 0;
    enter_edit(ui);
    uint32_t port = lv2_port_of_parameter(index);
    if (edit_gestures_begin(&ui->gestures, index))
        touch(ui, port, true);
    if (ui->web_host != nullptr)
        write_edit(ui, index, value, &port);
    leave_edit(ui);
    return 0;
}

// [host UI thread]
static int32_t ui_set_edit(void* user, uint32_t index, float value) {
    Lv2Ui* ui = (Lv2Ui*)user;
    uint32_t port = 0;
    enter_edit(ui);
    write_edit(ui, index, value, &port);
    leave_edit(ui);
    return 0;
}

// [host UI thread]
static int32_t ui_end_edit(void* user, uint32_t index, float value) {
    Lv2Ui* ui = (Lv2Ui*)user;
    uint32_t port = 0;
    enter_edit(ui);
    // Only a touch the host saw grabbed is released: one already released
    // for the page (its web view failed) is not released twice.
    if (write_edit(ui, index, value, &port) && ui->web_host != nullptr &&
        edit_gestures_end(&ui->gestures, index))
        touch(ui, port, false);
    leave_edit(ui);
    return 0;
}

// Releases one touch a closing UI leaves grabbed. [host UI thread]
static void release_left_touch(void* user, uint32_t index) {
    touch((Lv2Ui*)user, lv2_port_of_parameter(index), false);
}

// Both folders are the bundle folder. [host UI thread]
static const char* ui_bundle_folder(void* user) {
    return ((Lv2Ui*)user)->bundle_path;
}

// ---- descriptor members --------------------------------------------------------

// A copy without trailing separators, since the host appends its own when it
// forms file paths. Null when memory runs out. [host UI thread]
static char* copy_bundle_path(const char* path) {
    size_t length = strlen(path);
    while (length > 1 && (path[length - 1] == '/' || path[length - 1] == '\\'))
        --length;
    char* copy = (char*)malloc(length + 1);
    if (copy == nullptr)
        return nullptr;
    memcpy(copy, path, length);
    copy[length] = '\0';
    return copy;
}

// A later feature of the same kind overrides an earlier one. [host UI thread]
static WebViewParent read_features(Lv2Ui* ui, const LV2_Feature* const* features, bool* embedded) {
    WebViewParent parent = 0;
    *embedded = false;
    for (size_t i = 0; features != nullptr && features[i] != nullptr; ++i) {
        const LV2_Feature* f = features[i];
        if (f->URI == nullptr)
            continue;
        if (strcmp(f->URI, LV2_UI__parent) == 0) {
            parent = (WebViewParent)(uintptr_t)f->data;
            *embedded = true;
        } else if (strcmp(f->URI, LV2_UI__touch) == 0 && f->data != nullptr) {
            ui->touch = *(const LV2UI_Touch*)f->data;
            ui->has_touch = 1;
        }
    }
    return parent;
}

#ifndef _WIN32
// An X11 host sizes the embedding to the editor's wish when it offers
// ui:resize; otherwise it reads the window's size hints. [host UI thread]
static void announce_size(const LV2_Feature* const* features) {
    for (size_t i = 0; features != nullptr && features[i] != nullptr; ++i) {
        const LV2_Feature* f = features[i];
        if (f->URI != nullptr && f->data != nullptr && strcmp(f->URI, LV2_UI__resize) == 0) {
            const LV2UI_Resize* resize = (const LV2UI_Resize*)f->data;
            if (resize->ui_resize != nullptr)
                resize->ui_resize(resize->handle, kUiWidth, kUiHeight);
        }
    }
}
#endif

// [host UI thread]
static void free_ui(Lv2Ui* ui) {
    free(ui->bundle_path);
    free(ui);
}

// The widget is the web window. The plug-in URI is not examined: this UI
// belongs to one plug-in only. [host UI thread]
static LV2UI_Handle ui_instantiate(const LV2UI_Descriptor*, const char*, const char* bundle_path,
                                   LV2UI_Write_Function write_function, LV2UI_Controller controller,
                                   LV2UI_Widget* widget, const LV2_Feature* const* features) {
    if (widget == nullptr)
        return nullptr;
    *widget = nullptr;
    if (bundle_path == nullptr || write_function == nullptr)
        return nullptr;
    Lv2Ui* ui = (Lv2Ui*)calloc(1, sizeof(Lv2Ui));
    if (ui == nullptr)
        return nullptr;
    ui->bundle_path = copy_bundle_path(bundle_path);
    if (ui->bundle_path == nullptr) {
        free(ui);
        return nullptr;
    }
    bool embedded = false;
    WebViewParent parent = read_features(ui, features, &embedded);
    ui->write_function = write_function;
    ui->controller = controller;
    WebViewCallbacks callbacks = {
        ui, "lv2", ui_bundle_folder, ui_bundle_folder, ui_begin_edit, ui_set_edit, ui_end_edit};
    ui->web_host = webview::create(embedded, parent, &callbacks, news_page_handler, kUiWidth,
                                   kUiHeight, kParameterCount);
    if (ui->web_host == nullptr) {
        free_ui(ui);
        return nullptr;
    }
    *widget = (LV2UI_Widget)(uintptr_t)ui->web_host->webWindow;
#ifndef _WIN32
    announce_size(features);
#endif
    return ui;
}

// [host UI thread]
static void ui_cleanup(LV2UI_Handle handle) {
    Lv2Ui* ui = (Lv2Ui*)handle;
    if (ui == nullptr)
        return;
    webview::destroy(ui->web_host);
    ui->web_host = nullptr;
    edit_gestures_end_all(&ui->gestures, release_left_touch, ui);
    if (ui->edit_depth > 0)
        ui->free_pending = 1;
    else
        free_ui(ui);
}

// The buffer holds one float whatever size and format say; outputs go to the
// page as they are, inputs in the parameter's own sense. [host UI thread]
static void ui_port_event(LV2UI_Handle handle, uint32_t port, uint32_t, uint32_t,
                          const void* buffer) {
    Lv2Ui* ui = (Lv2Ui*)handle;
    if (ui == nullptr || buffer == nullptr)
        return;
    float value;
    memcpy(&value, buffer, sizeof value);
    if (port >= kLv2PortFirstOutput && port < kLv2PortCount) {
        webview::setParameter(ui->web_host, lv2_parameter_of_output_port(port), value);
    } else if (port >= kLv2PortFirstControl && port <= kLv2PortEnable) {
        uint32_t index = port - kLv2PortFirstControl;
        webview::setParameter(ui->web_host, index, lv2_port_to_plain(index, value));
    }
}

// Returns 0: the UI stays open until the host cleans it up. [host UI thread]
static int ui_idle(LV2UI_Handle handle) {
    webview::idle(((Lv2Ui*)handle)->web_host);
    return 0;
}

static const LV2UI_Idle_Interface kIdleInterface = {ui_idle};

// [any thread]
static const void* ui_extension_data(const char* uri) {
    if (uri != nullptr && strcmp(uri, LV2_UI__idleInterface) == 0)
        return &kIdleInterface;
    return nullptr;
}

static const LV2UI_Descriptor kUiDescriptor = {
    OKA_LV2_UI_URI, ui_instantiate, ui_cleanup, ui_port_event, ui_extension_data,
};

const LV2UI_Descriptor* lv2_ui_descriptor(void) {
    return &kUiDescriptor;
}
