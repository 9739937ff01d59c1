#include "tests/support/fake_web_helper/fake_helper_session.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/x11/x11_test_env.h"

bool FakeHelperSession::begin() {
    char made[] = "/tmp/oka-fake-helper-XXXXXX";
    if (mkdtemp(made) == nullptr)
        return false;
    folder = made;
    log = folder + "/helper.log";
    std::string fifo = folder + "/send";
    if (mkfifo(fifo.c_str(), 0600) != 0)
        return false;
    // Held open for writing throughout, so the stand-in never sees its end.
    script_ = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    setenv("OKA_FAKE_HELPER_LOG", log.c_str(), 1);
    setenv("OKA_FAKE_HELPER_SEND", fifo.c_str(), 1);
    setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    unsetenv("OKA_FAKE_HELPER_MODE");
    return script_ >= 0;
}

void FakeHelperSession::end() {
    if (script_ >= 0)
        close(script_);
    script_ = -1;
    if (!folder.empty() && system(("rm -rf '" + folder + "'").c_str()) != 0)
        folder.clear();
}

bool FakeHelperSession::post(const std::string& text) {
    std::string line = text + "\n";
    return write(script_, line.data(), line.size()) == (ssize_t)line.size();
}

bool FakeHelperSession::logged(const std::string& line) const {
    std::string text = "\n" + read_file(log);
    return text.find("\n" + line + "\n") != std::string::npos;
}

std::vector<std::string> FakeHelperSession::page_lines() const {
    std::vector<std::string> lines;
    std::string text = read_file(log);
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        if (text.compare(at, 5, "page ") == 0)
            lines.push_back(text.substr(at + 5, end - at - 5));
    }
    return lines;
}
