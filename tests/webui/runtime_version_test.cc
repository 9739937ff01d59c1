// The version check of the runtime finder: the build number of a registered
// version folder, and what counts as no version at all.
#include <gtest/gtest.h>

#include "webui/wv2_runtime.h"

namespace {

TEST(RuntimeVersion, BuildIsTheThirdOfFourNumbersInTheLastComponent) {
    EXPECT_EQ(2903u, wv2_runtime_build(L"C:\\Program Files (x86)\\Microsoft\\EdgeWebView\\"
                                       L"Application\\131.0.2903.86"));
    EXPECT_EQ(2903u, wv2_runtime_build(L"C:\\x\\131.0.2903.86\\"));
    EXPECT_EQ(2903u, wv2_runtime_build(L"C:\\x\\131.0.2903.86\\\\"));
    EXPECT_EQ(2903u, wv2_runtime_build(L"131.0.2903.86"));
    EXPECT_EQ(1462u, wv2_runtime_build(L"C:\\1.2.3.4\\108.0.01462.0"));
    EXPECT_EQ(0u, wv2_runtime_build(L"C:\\x\\0.0.0.0"));
    EXPECT_EQ(999999999u, wv2_runtime_build(L"C:\\x\\1.2.999999999.4"));
    EXPECT_LT(wv2_runtime_build(L"C:\\x\\108.0.1461.99"), kWv2MinimumRuntimeBuild);
    EXPECT_EQ(kWv2MinimumRuntimeBuild, wv2_runtime_build(L"C:\\x\\108.0.1462.0"));
}

TEST(RuntimeVersion, AnythingElseIsNoVersion) {
    const wchar_t* refused[] = {
        L"",
        L"C:\\",
        L"C:\\x\\131.0.2903",
        L"C:\\x\\131.0.2903.86.1",
        L"C:\\x\\131.0..86",
        L"C:\\x\\.131.0.2903.86",
        L"C:\\x\\131.0.2903.86.",
        L"C:\\x\\131.0.abc.86",
        L"C:\\x\\131.0.2903.86 beta",
        L"C:\\x\\ 131.0.2903.86",
        L"C:\\x\\131.0.+2903.86",
        L"C:\\x\\131.0.-2903.86",
        L"C:\\x\\1.2.1234567890.4", // more digits than any version has
        L"C:\\131.0.2903.86\\EBWebView",
        L"C:\\x\\131\u0660.0.2903.86", // a digit, but not an ASCII one
    };
    for (const wchar_t* folder : refused)
        EXPECT_EQ(0u, wv2_runtime_build(folder)) << testing::PrintToString(std::wstring(folder));
    EXPECT_EQ(0u, wv2_runtime_build(nullptr));
}

} // namespace
