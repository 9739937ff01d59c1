#include "tests/support/x11/x11_test_env.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

extern char** environ;

bool start_private_display(pid_t* server) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 9);
    // Not the test's own output either: a server left behind by a crashed
    // test must not hold its caller's pipe open.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {
        (char*)"Xvfb",        (char*)"-displayfd", (char*)"9",   (char*)"-screen",  (char*)"0",
        (char*)"1024x768x24", (char*)"-nolisten",  (char*)"tcp", (char*)"-noreset", nullptr};
    int started = posix_spawnp(server, "Xvfb", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[1]);
    char number[16] = {};
    ssize_t got = started == 0 ? read(pipe_fds[0], number, sizeof number - 1) : -1;
    close(pipe_fds[0]);
    if (got <= 0)
        return false;
    std::string display = ":" + std::string(number, strcspn(number, "\n"));
    return setenv("DISPLAY", display.c_str(), 1) == 0;
}

void stop_private_display(pid_t server) {
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
}

uint32_t make_parent_window(xcb_connection_t* connection, int width, int height) {
    if (xcb_connection_has_error(connection))
        return 0;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    uint32_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, (uint16_t)width,
                      (uint16_t)height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0,
                      nullptr);
    xcb_map_window(connection, window);
    xcb_flush(connection);
    return window;
}

int open_descriptor_count() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (dir && readdir(dir) != nullptr)
        count++;
    if (dir)
        closedir(dir);
    return count;
}

std::vector<pid_t> child_processes() {
    std::vector<pid_t> children;
    DIR* tasks = opendir("/proc/self/task");
    for (struct dirent* e; tasks && (e = readdir(tasks)) != nullptr;) {
        if (e->d_name[0] == '.')
            continue;
        std::istringstream list(
            read_file(std::string("/proc/self/task/") + e->d_name + "/children"));
        for (pid_t pid; list >> pid;)
            children.push_back(pid);
    }
    if (tasks)
        closedir(tasks);
    return children;
}

int child_window_count(xcb_connection_t* connection, uint32_t window) {
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    int count = tree ? tree->children_len : -1;
    free(tree);
    return count;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}
