// Installed under a folder whose name leaves the ANSI code page, the module
// still loads and knows its folders, as UTF-8.
#include <windows.h>

#include <string>

#include "tests/vst3/vst3_test_util.h"

namespace {

std::wstring wide(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring out((size_t)n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &out[0], n);
    out.resize((size_t)n - 1);
    return out;
}

// Makes every folder of a Windows path.
void make_folders(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
        CreateDirectoryW(wide(path.substr(0, at)).c_str(), nullptr);
    }
    CreateDirectoryW(wide(path).c_str(), nullptr);
}

// "Plügins 音 Ωmega", in UTF-8.
const char kOddName[] = "Pl\xC3\xBCgins \xE9\x9F\xB3 \xCE\xA9mega";

class ModuleFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = vst3host_windows_path(OKA_TEST_WORK_DIR) + "\\" + kOddName + "\\w.vst3";
        arch_ = root_ + "\\Contents\\x86_64-win";
        make_folders(arch_);
    }
    std::string root_;
    std::string arch_;
};

TEST_F(ModuleFolderTest, DllMainRecordsBothFoldersAsUtf8) {
    std::string probe = arch_ + "\\probe.dll";
    ASSERT_TRUE(CopyFileW(wide(vst3host_windows_path(OKA_PATHS_PROBE_PATH)).c_str(),
                          wide(probe).c_str(), FALSE));
    HMODULE library = LoadLibraryW(wide(probe).c_str());
    ASSERT_NE(nullptr, library);
    typedef const char* (*Text)(void);
    typedef int (*Count)(void);
    Text module = (Text)(void*)GetProcAddress(library, "probe_module_folder");
    Text resources = (Text)(void*)GetProcAddress(library, "probe_resources_folder");
    Count count = (Count)(void*)GetProcAddress(library, "probe_load_count");
    ASSERT_TRUE(module && resources && count);
    EXPECT_EQ(arch_, module());
    EXPECT_EQ(root_ + "\\Contents\\Resources", resources());
    EXPECT_EQ(1, count());

    FreeLibrary(library);
}

TEST_F(ModuleFolderTest, TheModuleWorksFromThere) {
    std::string binary = arch_ + "\\w.vst3";
    ASSERT_TRUE(CopyFileW(wide(vst3host_windows_path(test_module_path())).c_str(),
                          wide(binary).c_str(), FALSE));
    expect_module_works(binary.c_str());
}

} // namespace
