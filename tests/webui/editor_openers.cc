#include "tests/webui/editor_openers.h"

#include "lv2/lv2_ui.h"
#include "tests/vst3/vst3_test_util.h"
#include "vst3/vst3_view.h"

namespace {

void write_port(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t,
                const void* buffer) {
    float value = 0.0f;
    if (size == sizeof value)
        memcpy(&value, buffer, sizeof value);
    ((Lv2Editors*)controller)->writes.push_back({port, value});
}

} // namespace

bool Vst3Editors::load(const char* module_path) {
    if (!vst3host_open(&module, module_path))
        return false;
    host_context_init(&context);
    recording_handler_init(&handler);
    void* obj = nullptr;
    if (module.factory->vtbl->createInstance(module.factory, kTestControllerCid,
                                             kIidIEditController, &obj) != kResultOk)
        return false;
    controller = (IEditController*)obj;
    return controller->vtbl->initialize(controller, &context.iface) == kResultOk &&
           controller->vtbl->setComponentHandler(controller, &handler.iface) == kResultOk;
}

tresult Vst3Editors::attach(HWND parent) {
    IPlugView* view = controller->vtbl->createView(controller, "editor");
    if (!view)
        return kInternalError;
    views.push_back(view);
    return view->vtbl->attached(view, parent, "HWND");
}

WebViewHost* Vst3Editors::host() {
    return views.empty() ? nullptr : ((Vst3View*)views.back())->web_host;
}

void Vst3Editors::close_all() {
    for (IPlugView* v : views)
        vst3host_release(v); // an attached view closes its editor first
    views.clear();
}

void Vst3Editors::unload() {
    close_all();
    if (controller) {
        controller->vtbl->terminate(controller);
        vst3host_release(controller);
    }
    controller = nullptr;
    vst3host_close(&module);
}

bool Lv2Editors::load(const char* module_path) {
    if (!module.open(module_path))
        return false;
    auto entry = (LV2UI_DescriptorFunction)module.symbol("lv2ui_descriptor");
    descriptor = entry ? entry(0) : nullptr;
    return descriptor != nullptr;
}

LV2UI_Handle Lv2Editors::open(const char* bundle, HWND parent) {
    LV2_Feature parent_feature = {LV2_UI__parent, parent};
    const LV2_Feature* features[] = {parent ? &parent_feature : nullptr, nullptr};
    widget = (LV2UI_Widget)0x1;
    LV2UI_Handle ui = descriptor->instantiate(descriptor, "https://zarvosonic.com/oka-oka-wah",
                                              windows_folder(bundle).c_str(), write_port, this,
                                              &widget, features);
    if (ui)
        uis.push_back(ui);
    return ui;
}

WebViewHost* Lv2Editors::host() {
    return uis.empty() ? nullptr : ((Lv2Ui*)uis.back())->web_host;
}

void Lv2Editors::close_all() {
    for (LV2UI_Handle ui : uis)
        descriptor->cleanup(ui);
    uis.clear();
}

void Lv2Editors::unload() {
    close_all();
    module.close();
}

std::vector<std::pair<uint32_t, uint32_t>> value_posts(StubHooks& stub, WebViewHost* host) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (const std::wstring& p : page_posts(stub, host)) {
        unsigned index = 0, bits = 0;
        if (swscanf(p.c_str(), L"s %x %x", &index, &bits) == 2)
            out.push_back({index, bits});
    }
    return out;
}

std::string windows_folder(const char* unix_path) {
    std::string out = "Z:";
    for (const char* p = unix_path; *p; ++p)
        out += *p == '/' ? '\\' : *p;
    return out + "\\";
}
