#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "tests/news/news_test_appdata.h"

extern char** environ;

namespace {

// HOME as the test program found it, for private_base_restore.
std::string original_home;

} // namespace

bool private_app_data_create(PrivateAppData* app_data, const char* tag) {
    if (original_home.empty() && getenv("HOME"))
        original_home = getenv("HOME");
    std::string folder = std::string("/tmp/oka-news-") + tag + "-XXXXXX";
    if (!mkdtemp(&folder[0]))
        return false;
    app_data->root = folder;
    return setenv("XDG_DATA_HOME", folder.c_str(), 1) == 0;
}

void private_app_data_remove(PrivateAppData* app_data) {
    if (!app_data->root.empty())
        system(("rm -rf '" + app_data->root + "'").c_str());
}

void private_base_unset() {
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
}

void private_base_empty() {
    setenv("XDG_DATA_HOME", "", 1);
    setenv("HOME", "", 1);
}

void private_base_restore(const PrivateAppData* app_data) {
    setenv("XDG_DATA_HOME", app_data->root.c_str(), 1);
    if (!original_home.empty())
        setenv("HOME", original_home.c_str(), 1);
}

NewsPath news_file_path(const PrivateAppData* app_data, const std::vector<NewsPath>& parts) {
    NewsPath path = app_data->root + "/Zarvosonic";
    for (const NewsPath& part : parts)
        path += "/" + part;
    return path;
}

FILE* open_raw_file(const NewsPath& path, bool for_writing) {
    return fopen(path.c_str(), for_writing ? "wbe" : "rbe");
}

bool path_exists(const NewsPath& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool ForeignLock::take(const NewsPath& path) {
    fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    return fd >= 0 && flock(fd, LOCK_EX) == 0;
}

long long ForeignLock::size() {
    struct stat info;
    return fstat(fd, &info) == 0 ? (long long)info.st_size : -1;
}

void ForeignLock::release() {
    flock(fd, LOCK_UN);
    close(fd);
}

bool start_self(const std::vector<std::string>& arguments, SelfProcess* process) {
    std::vector<std::string> words = {"/proc/self/exe"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(&word[0]);
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    process->pid = pid;
    return true;
}

int wait_self(SelfProcess* process) {
    int status = 0;
    if (waitpid(process->pid, &status, 0) != process->pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

void sleep_ms(int ms) {
    struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}
