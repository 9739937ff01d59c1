// Lv2Ui: the plug-in's LV2 UI, the web editor shown as an LV2 widget (the
// web window). It never touches the plug-in instance: edits become writes to
// the parameter's control port (bracketed by touch notifications when the
// host offers them) and values arrive as port events. A Windows UI in the
// plug-in module, an X11 UI in a module of its own on Linux.
#pragma once
#include <lv2/ui/ui.h>
#include <stdint.h>

#include "webui/edit_gestures.h"

struct WebViewHost;

typedef struct Lv2Ui {
    WebViewHost* web_host;
    char* bundle_path; // without trailing separators; the loader and page folder
    LV2UI_Write_Function write_function;
    LV2UI_Controller controller; // first argument of write_function
    uint8_t has_touch;
    LV2UI_Touch touch;     // copy of the host's feature data
    EditGestures gestures; // touched with the host, not yet released
    int32_t edit_depth;    // edit callbacks running (the host may call cleanup)
    uint8_t free_pending;  // cleaned up inside one of them: freed when it returns
} Lv2Ui;

// The UI descriptor (URI plug-in URI + "#ui"). [any thread]
const LV2UI_Descriptor* lv2_ui_descriptor(void);

// The port value a page edit of input parameter 0..31 writes: the page's
// plain value in the port's own sense (enable for `bypass`), snapped and
// clamped. [any thread]
float lv2_ui_port_value(uint32_t index, float plain);
