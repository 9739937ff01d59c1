#include "news/news_path.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

bool valid(const char* name) {
    return news_component_valid(name, strlen(name));
}

TEST(NewsComponentRules, OrdinaryNamesPass) {
    EXPECT_TRUE(valid("quorl-news"));
    EXPECT_TRUE(valid("latest"));
    EXPECT_TRUE(valid("oka.oka wah 2"));
    EXPECT_TRUE(valid("\xc3\xa9t\xc3\xa9")); // UTF-8 letters
    EXPECT_TRUE(valid(".hidden"));
    EXPECT_TRUE(valid("CONSOLE"));
    EXPECT_TRUE(valid("COM0"));
}

TEST(NewsComponentRules, NamesThatLeaveTheFolderOrOpenDevicesAreRefused) {
    for (const char* bad :
         {"", ".", "..", "...", " . ", "a/b", "a\\b", "..\\x", "C:", "a:b", "tab\there", "CON",
          "con", "Nul.txt", "COM1", "lpt9.log", "AUX ", "CONOUT$"}) {
        EXPECT_FALSE(valid(bad)) << bad;
    }
    EXPECT_FALSE(news_component_valid(nullptr, 3));
    // The length is honoured: the slash lies beyond it.
    EXPECT_TRUE(news_component_valid("ab/c", 2));
}

struct Made {
    std::vector<std::wstring> folders;
    size_t fail_at = (size_t)-1;
};

bool record(void* context, const wchar_t* folder) {
    Made* made = (Made*)context;
    made->folders.push_back(folder);
    return made->folders.size() != made->fail_at;
}

std::vector<std::wstring> walk(const wchar_t* path) {
    std::wstring copy = path;
    std::vector<wchar_t> buffer(copy.begin(), copy.end());
    buffer.push_back(0);
    Made made;
    EXPECT_TRUE(news_walk_folders(buffer.data(), record, &made));
    EXPECT_EQ(std::wstring(buffer.data()), copy) << "path must be restored";
    return made.folders;
}

using Folders = std::vector<std::wstring>;

TEST(NewsFolderWalk, SkipsEachKindOfRoot) {
    EXPECT_EQ(walk(L"C:\\Users\\a"), (Folders{L"C:\\Users", L"C:\\Users\\a"}));
    EXPECT_EQ(walk(L"\\\\?\\C:\\x\\y"), (Folders{L"\\\\?\\C:\\x", L"\\\\?\\C:\\x\\y"}));
    EXPECT_EQ(walk(L"\\\\.\\D:\\x"), (Folders{L"\\\\.\\D:\\x"}));
    EXPECT_EQ(walk(L"\\\\?\\UNC\\server\\share\\x\\y"),
              (Folders{L"\\\\?\\UNC\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x\\y"}));
    EXPECT_EQ(walk(L"\\\\?\\Volume{1}\\x"), (Folders{L"\\\\?\\Volume{1}", L"\\\\?\\Volume{1}\\x"}));
    EXPECT_EQ(walk(L"\\\\server\\share\\x"), (Folders{L"\\\\server\\share\\x"}));
    EXPECT_EQ(walk(L"\\\\server\\share"), (Folders{}));
    EXPECT_EQ(walk(L"rel\\a"), (Folders{L"rel", L"rel\\a"}));
    EXPECT_EQ(walk(L"\\top\\a"), (Folders{L"\\top", L"\\top\\a"}));
}

TEST(NewsFolderWalk, SeparatorRunsCountOnceAndSlashesSeparate) {
    EXPECT_EQ(walk(L"C:\\\\a//b\\/c"), (Folders{L"C:\\\\a", L"C:\\\\a//b", L"C:\\\\a//b\\/c"}));
    EXPECT_EQ(walk(L"a\\b\\\\"), (Folders{L"a", L"a\\b"}));
    EXPECT_EQ(walk(L""), (Folders{}));
}

TEST(NewsFolderWalk, StopsAtTheFirstFailure) {
    wchar_t path[] = L"C:\\a\\b\\c";
    Made made;
    made.fail_at = 2;
    EXPECT_FALSE(news_walk_folders(path, record, &made));
    EXPECT_EQ(made.folders, (Folders{L"C:\\a", L"C:\\a\\b"}));
    EXPECT_STREQ(path, L"C:\\a\\b\\c");
}

TEST(NewsFolderWalk, RootLengthsFollowTheTable) {
    auto root = [](const wchar_t* p) { return news_path_root_length(p, wcslen(p)); };
    EXPECT_EQ(root(L"\\\\?\\UNC\\srv\\shr\\x"), wcslen(L"\\\\?\\UNC\\srv\\shr\\"));
    EXPECT_EQ(root(L"\\\\.\\c:\\x"), 6u);
    EXPECT_EQ(root(L"\\\\?\\"), 4u);
    EXPECT_EQ(root(L"\\\\srv\\shr\\x"), wcslen(L"\\\\srv\\shr\\"));
    EXPECT_EQ(root(L"z:x"), 2u);
    EXPECT_EQ(root(L"1:x"), 0u);
    EXPECT_EQ(root(L"\\\\"), 2u);
    EXPECT_EQ(root(L"\\\\?\\UNC"), 4u); // too short to be a network form
}

} // namespace
