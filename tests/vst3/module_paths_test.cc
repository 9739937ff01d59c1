// The module and resources folders, worked out from the module's own path.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "vst3/module_paths.h"

namespace {

TEST(ModulePaths, SplitsTheBundleLayout) {
    char* module = nullptr;
    char* resources = nullptr;
    ASSERT_TRUE(module_paths_split("C:\\VST3\\w.vst3\\Contents\\x86_64-win\\w.vst3", '\\', &module,
                                   &resources));
    EXPECT_STREQ("C:\\VST3\\w.vst3\\Contents\\x86_64-win", module);
    EXPECT_STREQ("C:\\VST3\\w.vst3\\Contents\\Resources", resources);
    free(module);
    free(resources);

    // Non-ASCII folders stay byte for byte (UTF-8 has no backslash bytes
    // inside its multi-byte characters).
    const char* path = "D:\\Pl\xC3\xBCgins \xE9\x9F\xB3\\Contents\\x86_64-win\\w.vst3";
    ASSERT_TRUE(module_paths_split(path, '\\', &module, &resources));
    EXPECT_STREQ("D:\\Pl\xC3\xBCgins \xE9\x9F\xB3\\Contents\\x86_64-win", module);
    EXPECT_STREQ("D:\\Pl\xC3\xBCgins \xE9\x9F\xB3\\Contents\\Resources", resources);
    free(module);
    free(resources);

    EXPECT_FALSE(module_paths_split("w.vst3", '\\', &module, &resources));
    EXPECT_FALSE(module_paths_split("C:\\w.vst3", '\\', &module, &resources))
        << "a module needs a parent folder";
    EXPECT_FALSE(module_paths_split(nullptr, '\\', &module, &resources));
}

TEST(ModulePaths, SplitsTheLinuxLayoutAtSlashesOnly) {
    char* module = nullptr;
    char* resources = nullptr;
    ASSERT_TRUE(module_paths_split("/home/u/.vst3/w.vst3/Contents/x86_64-linux/w.so", '/', &module,
                                   &resources));
    EXPECT_STREQ("/home/u/.vst3/w.vst3/Contents/x86_64-linux", module);
    EXPECT_STREQ("/home/u/.vst3/w.vst3/Contents/Resources", resources);
    free(module);
    free(resources);

    // A backslash is an ordinary character in a Linux file name.
    ASSERT_TRUE(module_paths_split("/opt/a\\b/Contents/x\\y/w.so", '/', &module, &resources));
    EXPECT_STREQ("/opt/a\\b/Contents/x\\y", module);
    EXPECT_STREQ("/opt/a\\b/Contents/Resources", resources);
    free(module);
    free(resources);

    EXPECT_FALSE(module_paths_split("/w.so", '/', &module, &resources));
    EXPECT_FALSE(module_paths_split("C:\\a\\b\\w.vst3", '/', &module, &resources));
}

// Module file paths as this platform's loader reports them.
#ifdef _WIN32
const char kFirstPath[] = "C:\\a\\b\\m.vst3";
const char kSecondPath[] = "C:\\other\\place\\m.vst3";
const char kFirstModule[] = "C:\\a\\b";
const char kFirstResources[] = "C:\\a\\Resources";
#else
const char kFirstPath[] = "/a/b/m.so";
const char kSecondPath[] = "/other/place/m.so";
const char kFirstModule[] = "/a/b";
const char kFirstResources[] = "/a/Resources";
#endif

TEST(ModulePaths, OnlyTheFirstAttachAndTheLastDetachCount) {
    // The test program itself has not attached (it is not the module).
    ASSERT_EQ(0, module_paths_load_count());
    ASSERT_TRUE(module_paths_attach(kFirstPath));
    EXPECT_TRUE(module_paths_attach(kSecondPath));
    EXPECT_EQ(2, module_paths_load_count());
    EXPECT_STREQ(kFirstModule, moduleFolder(nullptr));
    EXPECT_STREQ(kFirstResources, resourcesFolder(nullptr));
    EXPECT_TRUE(module_paths_detach());
    EXPECT_STREQ(kFirstModule, moduleFolder(nullptr)) << "still loaded once";
    EXPECT_TRUE(module_paths_detach());
    EXPECT_EQ(0, module_paths_load_count());
    EXPECT_EQ(nullptr, moduleFolder(nullptr));
    EXPECT_FALSE(module_paths_detach()) << "nothing left to balance";
    EXPECT_EQ(0, module_paths_load_count());
    EXPECT_FALSE(module_paths_attach("nofolder"));
    EXPECT_EQ(0, module_paths_load_count());
}

} // namespace
