#include "tests/lv2/ui_x11_host.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

extern char** environ;

namespace {

void writePort(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
    float value = 0.0f;
    if (size == sizeof value && format == 0)
        memcpy(&value, buffer, sizeof value);
    ((X11UiHost*)controller)->calls.push_back({'w', port, value});
}

void touchPort(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    ((X11UiHost*)handle)->calls.push_back({grabbed ? '+' : '-', port, 0.0f});
}

int askSize(LV2UI_Feature_Handle handle, int width, int height) {
    ((X11UiHost*)handle)->calls.push_back({'r', (uint32_t)width, (float)height});
    return 0;
}

void sleepMs(int ms) {
    struct timespec pause = {0, ms * 1000000L};
    nanosleep(&pause, nullptr);
}

} // namespace

bool startPrivateDisplay(pid_t* server) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 9);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {
        (char*)"Xvfb",        (char*)"-displayfd", (char*)"9",   (char*)"-screen",  (char*)"0",
        (char*)"1024x768x24", (char*)"-nolisten",  (char*)"tcp", (char*)"-noreset", nullptr};
    int started = posix_spawnp(server, "Xvfb", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    char number[16] = {};
    ssize_t got = started == 0 ? read(pipeFds[0], number, sizeof number - 1) : -1;
    close(pipeFds[0]);
    if (got <= 0)
        return false;
    std::string display = ":" + std::string(number, strcspn(number, "\n"));
    return setenv("DISPLAY", display.c_str(), 1) == 0;
}

void stopPrivateDisplay(pid_t server) {
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
}

X11UiHost::X11UiHost() {
    module_ = dlopen(OKA_LV2_UI_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    auto entry = module_ ? (LV2UI_DescriptorFunction)dlsym(module_, "lv2ui_descriptor") : nullptr;
    descriptor_ = entry ? entry(0) : nullptr;
    if (descriptor_)
        idle_ = (const LV2UI_Idle_Interface*)descriptor_->extension_data(LV2_UI__idleInterface);
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_))
        return;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    parent_ = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, parent_, screen->root, 0, 0, 800, 700, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(connection_, parent_);
    xcb_flush(connection_);
}

X11UiHost::~X11UiHost() {
    xcb_disconnect(connection_);
    if (module_)
        dlclose(module_);
}

LV2UI_Handle X11UiHost::open(const std::string& bundle, LV2UI_Widget* widget) {
    static LV2UI_Touch touch;
    static LV2UI_Resize resize;
    touch = {this, touchPort};
    resize = {this, askSize};
    LV2_Feature parentFeature = {LV2_UI__parent, (void*)(uintptr_t)parent_};
    LV2_Feature touchFeature = {LV2_UI__touch, &touch};
    LV2_Feature resizeFeature = {LV2_UI__resize, &resize};
    const LV2_Feature* features[] = {&parentFeature, &touchFeature, &resizeFeature, nullptr};
    return descriptor_->instantiate(descriptor_, "https://zarvosonic.com/oka-oka-wah",
                                    bundle.c_str(), writePort, this, widget, features);
}

void X11UiHost::close(LV2UI_Handle ui) {
    descriptor_->cleanup(ui);
}

void X11UiHost::portEvent(LV2UI_Handle ui, uint32_t port, float value) {
    descriptor_->port_event(ui, port, sizeof value, 0, &value);
}

bool X11UiHost::idleUntil(LV2UI_Handle ui, const std::function<bool()>& done, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        if (idle_->idle(ui) != 0)
            return false;
        if (done())
            return true;
        sleepMs(10);
    }
    return false;
}

void X11UiHost::resizeWidget(LV2UI_Widget widget, int width, int height) {
    uint32_t size[2] = {(uint32_t)width, (uint32_t)height};
    xcb_configure_window(connection_, (uint32_t)(uintptr_t)widget,
                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    xcb_flush(connection_);
}

int openDescriptorCount() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (dir && readdir(dir) != nullptr)
        count++;
    if (dir)
        closedir(dir);
    return count;
}

std::vector<pid_t> childProcesses() {
    std::vector<pid_t> children;
    DIR* tasks = opendir("/proc/self/task");
    for (struct dirent* e; tasks && (e = readdir(tasks)) != nullptr;) {
        if (e->d_name[0] == '.')
            continue;
        std::istringstream list(
            readFile(std::string("/proc/self/task/") + e->d_name + "/children"));
        for (pid_t pid; list >> pid;)
            children.push_back(pid);
    }
    if (tasks)
        closedir(tasks);
    return children;
}

int childWindowCount(xcb_connection_t* connection, uint32_t window) {
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    int count = tree ? tree->children_len : -1;
    free(tree);
    return count;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}
