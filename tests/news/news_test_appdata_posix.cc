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

// HOME as the test program found it, for privateBaseRestore.
std::string originalHome;

} // namespace

bool privateAppDataCreate(PrivateAppData* appData, const char* tag) {
    if (originalHome.empty() && getenv("HOME"))
        originalHome = getenv("HOME");
    std::string folder = std::string("/tmp/oka-news-") + tag + "-XXXXXX";
    if (!mkdtemp(&folder[0]))
        return false;
    appData->root = folder;
    return setenv("XDG_DATA_HOME", folder.c_str(), 1) == 0;
}

void privateAppDataRemove(PrivateAppData* appData) {
    if (!appData->root.empty())
        system(("rm -rf '" + appData->root + "'").c_str());
}

void privateBaseUnset() {
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
}

void privateBaseEmpty() {
    setenv("XDG_DATA_HOME", "", 1);
    setenv("HOME", "", 1);
}

void privateBaseRestore(const PrivateAppData* appData) {
    setenv("XDG_DATA_HOME", appData->root.c_str(), 1);
    if (!originalHome.empty())
        setenv("HOME", originalHome.c_str(), 1);
}

NewsPath newsFilePath(const PrivateAppData* appData, const std::vector<NewsPath>& parts) {
    NewsPath path = appData->root + "/Zarvosonic";
    for (const NewsPath& part : parts)
        path += "/" + part;
    return path;
}

FILE* openRawFile(const NewsPath& path, bool forWriting) {
    return fopen(path.c_str(), forWriting ? "wbe" : "rbe");
}

bool pathExists(const NewsPath& path) {
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

bool startSelf(const std::vector<std::string>& arguments, SelfProcess* process) {
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

int waitSelf(SelfProcess* process) {
    int status = 0;
    if (waitpid(process->pid, &status, 0) != process->pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

void sleepMs(int ms) {
    struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}
