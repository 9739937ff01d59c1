// A watchdog over each test case of a test program, linked into the Windows
// tests: a case still running after its limit (a hang, a deadlock between
// threads) ends the program at once with a line naming the case, instead of
// a silent program that ctest kills later. The limit is 45 s per case, or
// OKA_TEST_CASE_TIMEOUT seconds when that is set.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultLimitSeconds = 45;

// The case now running. Never destroyed: the watchdog thread may still read
// it while the program exits.
struct RunningCase {
    std::mutex mutex;
    std::string name;
    Clock::time_point started;
    bool running = false;
};

RunningCase* running_case() {
    static RunningCase* c = new RunningCase;
    return c;
}

int limit_seconds() {
    const char* text = getenv("OKA_TEST_CASE_TIMEOUT");
    int seconds = text ? atoi(text) : 0;
    return seconds > 0 ? seconds : kDefaultLimitSeconds;
}

// [watchdog thread] Ends the program when the running case passes the limit.
void watch(int limit) {
    RunningCase* c = running_case();
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::lock_guard<std::mutex> lock(c->mutex);
        if (c->running && Clock::now() - c->started > std::chrono::seconds(limit)) {
            fprintf(stderr, "\n[ TIMEOUT  ] %s still running after %d s: program ended\n",
                    c->name.c_str(), limit);
            fflush(stderr);
            std::_Exit(124);
        }
    }
}

// [test main thread] Marks each case's start and end.
class CaseWatchdog : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& info) override {
        RunningCase* c = running_case();
        std::lock_guard<std::mutex> lock(c->mutex);
        c->name = std::string(info.test_suite_name()) + "." + info.name();
        c->started = Clock::now();
        c->running = true;
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        RunningCase* c = running_case();
        std::lock_guard<std::mutex> lock(c->mutex);
        c->running = false;
    }
};

// Registered while the program starts, before gtest's main runs the cases.
[[maybe_unused]] const bool kRegistered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new CaseWatchdog);
    std::thread(watch, limit_seconds()).detach();
    return true;
}();

} // namespace
