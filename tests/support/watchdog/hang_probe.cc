// A test program whose one case never ends: its ctest test passes only when
// the case watchdog ends the program and names the case.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(CaseWatchdogProbe, CaseThatNeverEnds) {
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}
