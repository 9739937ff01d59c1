#include "tests/lv2/ui_x11_host.h"

#include <dlfcn.h>
#include <string.h>
#include <time.h>

namespace {

void write_port(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
                const void* buffer) {
    float value = 0.0f;
    if (size == sizeof value && format == 0)
        memcpy(&value, buffer, sizeof value);
    ((X11UiHost*)controller)->calls.push_back({'w', port, value});
}

void touch_port(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    ((X11UiHost*)handle)->calls.push_back({grabbed ? '+' : '-', port, 0.0f});
}

int ask_size(LV2UI_Feature_Handle handle, int width, int height) {
    ((X11UiHost*)handle)->calls.push_back({'r', (uint32_t)width, (float)height});
    return 0;
}

void sleep_ms(int ms) {
    struct timespec pause = {0, ms * 1000000L};
    nanosleep(&pause, nullptr);
}

} // namespace

X11UiHost::X11UiHost() {
    module_ = dlopen(OKA_LV2_UI_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    auto entry = module_ ? (LV2UI_DescriptorFunction)dlsym(module_, "lv2ui_descriptor") : nullptr;
    descriptor_ = entry ? entry(0) : nullptr;
    if (descriptor_)
        idle_ = (const LV2UI_Idle_Interface*)descriptor_->extension_data(LV2_UI__idleInterface);
    connection_ = xcb_connect(nullptr, nullptr);
    parent_ = make_parent_window(connection_, 800, 700);
}

X11UiHost::~X11UiHost() {
    xcb_disconnect(connection_);
    if (module_)
        dlclose(module_);
}

LV2UI_Handle X11UiHost::open(const std::string& bundle, LV2UI_Widget* widget) {
    static LV2UI_Touch touch;
    static LV2UI_Resize resize;
    touch = {this, touch_port};
    resize = {this, ask_size};
    LV2_Feature parent_feature = {LV2_UI__parent, (void*)(uintptr_t)parent_};
    LV2_Feature touch_feature = {LV2_UI__touch, &touch};
    LV2_Feature resize_feature = {LV2_UI__resize, &resize};
    const LV2_Feature* features[] = {&parent_feature, &touch_feature, &resize_feature, nullptr};
    return descriptor_->instantiate(descriptor_, "https://zarvosonic.com/oka-oka-wah",
                                    bundle.c_str(), write_port, this, widget, features);
}

void X11UiHost::close(LV2UI_Handle ui) {
    descriptor_->cleanup(ui);
}

void X11UiHost::port_event(LV2UI_Handle ui, uint32_t port, float value) {
    descriptor_->port_event(ui, port, sizeof value, 0, &value);
}

bool X11UiHost::idle_until(LV2UI_Handle ui, const std::function<bool()>& done, int timeout_ms) {
    for (int waited = 0; waited <= timeout_ms; waited += 10) {
        if (idle_->idle(ui) != 0)
            return false;
        if (done())
            return true;
        sleep_ms(10);
    }
    return false;
}

void X11UiHost::resize_widget(LV2UI_Widget widget, int width, int height) {
    uint32_t size[2] = {(uint32_t)width, (uint32_t)height};
    xcb_configure_window(connection_, (uint32_t)(uintptr_t)widget,
                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    xcb_flush(connection_);
}
