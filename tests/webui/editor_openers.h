// Both modules' editors opened the way their hosts open them: the VST3 view
// through our VST3 test host (module binary, controller, "editor" view,
// attached to a window), the LV2 UI through its descriptor with a bundle
// path. Under Wine, with whatever WebView2 the process finds.
#pragma once

#include <lv2/ui/ui.h>

#include <string>
#include <vector>

#include "tests/support/lv2host/lv2host.h"
#include "tests/support/vst3host/vst3host.h"
#include "tests/webui/web_view_fixture.h"

// One controller of a loaded VST3 module and the views it made.
struct Vst3Editors {
    bool load(const char* module_path);
    void unload();
    // A new view attached to `parent`; the result of `attached`.
    tresult attach(HWND parent);
    // The latest view's web view host (null when it is not attached).
    WebViewHost* host();
    void close_all();

    Vst3HostModule module{};
    HostContext context{};
    RecordingHandler handler{};
    IEditController* controller = nullptr;
    std::vector<IPlugView*> views;
};

struct PortWrite {
    uint32_t port;
    float value;
};

// The LV2 module's UI descriptor and the UIs opened with it.
struct Lv2Editors {
    bool load(const char* module_path);
    void unload();
    // Instantiates with the bundle (a Unix folder) and, when given, a parent
    // window; the UI or null.
    LV2UI_Handle open(const char* bundle, HWND parent);
    WebViewHost* host(); // the latest UI's
    void close_all();

    Lv2HostModule module;
    const LV2UI_Descriptor* descriptor = nullptr;
    std::vector<LV2UI_Handle> uis;
    std::vector<PortWrite> writes;
    LV2UI_Widget widget = nullptr;
};

// The page's value messages ("s %08x %08x") as (index, bits).
std::vector<std::pair<uint32_t, uint32_t>> value_posts(StubHooks& stub, WebViewHost* host);

// The Unix folder as Wine's Z: path, with the trailing separator hosts give.
std::string windows_folder(const char* unix_path);
