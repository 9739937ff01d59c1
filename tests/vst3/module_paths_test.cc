// The module and resources folders, worked out from the module's own path.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "vst3/module_paths.h"

namespace {

TEST(ModulePaths, SplitsTheBundleLayout) {
    char* module = nullptr;
    char* resources = nullptr;
    ASSERT_TRUE(
        module_paths_split("C:\\VST3\\w.vst3\\Contents\\x86_64-win\\w.vst3", &module, &resources));
    EXPECT_STREQ("C:\\VST3\\w.vst3\\Contents\\x86_64-win", module);
    EXPECT_STREQ("C:\\VST3\\w.vst3\\Contents\\Resources", resources);
    free(module);
    free(resources);

    // Non-ASCII folders stay byte for byte (UTF-8 has no backslash bytes
    // inside its multi-byte characters).
    const char* path = "D:\\Pl\xC3\xBCgins \xE9\x9F\xB3\\Contents\\x86_64-win\\w.vst3";
    ASSERT_TRUE(module_paths_split(path, &module, &resources));
    EXPECT_STREQ("D:\\Pl\xC3\xBCgins \xE9\x9F\xB3\\Contents\\x86_64-win", module);
    EXPECT_STREQ("D:\\Pl\xC3\xBCgins \xE9\x9F\xB3\\Contents\\Resources", resources);
    free(module);
    free(resources);

    EXPECT_FALSE(module_paths_split("w.vst3", &module, &resources));
    EXPECT_FALSE(module_paths_split("C:\\w.vst3", &module, &resources))
        << "a module needs a parent folder";
    EXPECT_FALSE(module_paths_split(nullptr, &module, &resources));
}

TEST(ModulePaths, OnlyTheFirstAttachAndTheLastDetachCount) {
    // The test program itself has not attached (it is not the module).
    ASSERT_EQ(0, module_paths_load_count());
    ASSERT_TRUE(module_paths_attach("C:\\a\\b\\m.vst3"));
    EXPECT_TRUE(module_paths_attach("C:\\other\\place\\m.vst3"));
    EXPECT_EQ(2, module_paths_load_count());
    EXPECT_STREQ("C:\\a\\b", moduleFolder(nullptr));
    EXPECT_STREQ("C:\\a\\Resources", resourcesFolder(nullptr));
    module_paths_detach();
    EXPECT_STREQ("C:\\a\\b", moduleFolder(nullptr)) << "still loaded once";
    module_paths_detach();
    EXPECT_EQ(0, module_paths_load_count());
    EXPECT_EQ(nullptr, moduleFolder(nullptr));
    EXPECT_FALSE(module_paths_attach("nofolder"));
    EXPECT_EQ(0, module_paths_load_count());
}

} // namespace
