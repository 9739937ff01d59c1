// The Linux module's entry and exit: installed under a folder whose name is
// not ASCII and loaded by a relative path, the module still finds its
// bundle's folders, as absolute UTF-8 paths; entries and exits balance.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/vst3/vst3_test_util.h"

namespace {

// "Plügins 音 Ωmega", in UTF-8.
const char kOddName[] = "Pl\xC3\xBCgins \xE9\x9F\xB3 \xCE\xA9mega";

void make_folders(const std::string& path) {
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        mkdir(path.substr(0, at).c_str(), 0755);
    mkdir(path.c_str(), 0755);
}

bool copy_file(const std::string& from, const std::string& to) {
    std::string bytes = read_test_file(from.c_str());
    FILE* out = fopen(to.c_str(), "wb");
    if (bytes.empty() || out == nullptr)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return fclose(out) == 0 && ok;
}

class ModuleEntryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        make_folders(OKA_TEST_WORK_DIR);
        char* work = realpath(OKA_TEST_WORK_DIR, nullptr);
        ASSERT_NE(nullptr, work);
        root_ = std::string(work) + "/" + kOddName + "/w.vst3";
        free(work);
        arch_ = root_ + "/Contents/x86_64-linux";
        make_folders(arch_);
    }
    // dlopen by a path relative to the bundle folder, and the entry right
    // after it, as a host that changed into its plug-in folder does. False
    // when loading or the entry fails.
    bool open_relative(const char* relative, void** library) {
        char here[PATH_MAX];
        if (getcwd(here, sizeof here) == nullptr || chdir(root_.c_str()) != 0)
            return false;
        *library = dlopen(relative, RTLD_NOW | RTLD_LOCAL);
        typedef bool (*EntryFn)(void*);
        EntryFn entry = *library ? (EntryFn)dlsym(*library, "ModuleEntry") : nullptr;
        bool entered = entry != nullptr && entry(*library);
        EXPECT_EQ(0, chdir(here));
        return entered;
    }
    std::string root_;
    std::string arch_;
};

TEST_F(ModuleEntryTest, EntryRecordsTheBundleFoldersAndExitsBalanceIt) {
    ASSERT_TRUE(copy_file(OKA_PATHS_PROBE_PATH, arch_ + "/probe.so"));
    void* library = nullptr;
    ASSERT_TRUE(open_relative("./Contents/x86_64-linux/probe.so", &library)) << dlerror();
    typedef bool (*EntryFn)(void*);
    typedef bool (*ExitFn)(void);
    typedef const char* (*Text)(void);
    typedef int (*Count)(void);
    EntryFn entry = (EntryFn)dlsym(library, "ModuleEntry");
    ExitFn exit_module = (ExitFn)dlsym(library, "ModuleExit");
    Text module = (Text)dlsym(library, "probe_module_folder");
    Text resources = (Text)dlsym(library, "probe_resources_folder");
    Count count = (Count)dlsym(library, "probe_load_count");
    ASSERT_TRUE(entry && exit_module && module && resources && count);
    ASSERT_NE(nullptr, module());
    EXPECT_EQ(arch_, module()) << "absolute, though loaded by a relative path";
    EXPECT_EQ(root_ + "/Contents/Resources", resources());
    EXPECT_EQ(1, count());
    const char* first = module();
    EXPECT_TRUE(entry(nullptr)) << "the handle is not needed";
    EXPECT_EQ(2, count());
    EXPECT_EQ(first, module()) << "a later entry does not work the folders out again";

    EXPECT_TRUE(exit_module());
    EXPECT_EQ(arch_, module()) << "still entered once";
    EXPECT_TRUE(exit_module());
    EXPECT_EQ(0, count());
    EXPECT_EQ(nullptr, module());
    EXPECT_EQ(nullptr, resources());
    EXPECT_FALSE(exit_module()) << "an exit without an entry";
    dlclose(library);
}

TEST_F(ModuleEntryTest, TheModuleWorksFromThere) {
    std::string binary = arch_ + "/w.so";
    ASSERT_TRUE(copy_file(test_module_path(), binary));
    expect_module_works(binary.c_str());
}

} // namespace
