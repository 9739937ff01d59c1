// The store on real per-user files, in a private data folder (APPDATA on
// Windows, XDG_DATA_HOME on Linux): the same cases on both systems.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <thread>
#include <vector>

#include "news/news_files.h"
#include "news/news_store.h"
#include "tests/news/news_test_appdata.h"

namespace {

using Texts = std::vector<std::string>;

class NewsFiles : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(privateAppDataCreate(&appData, "files")); }
    void TearDown() override { privateAppDataRemove(&appData); }

    std::string raw(const std::vector<NewsPath>& parts) {
        std::string bytes;
        EXPECT_TRUE(readRawFile(newsFilePath(&appData, parts), &bytes));
        return bytes;
    }

    PrivateAppData appData;
};

TEST_F(NewsFiles, InitOnAnEmptyStoreSendsOnlyDoneAndCreatesNothing) {
    EXPECT_EQ(askStore("quorlV1 init prod"), (Texts{"quorlV1 initDone "}));
    EXPECT_FALSE(pathExists(newsFilePath(&appData, {})));
    EXPECT_EQ(askStore("quorlV1 getNews "), (Texts{"quorlV1 getNews "}));
}

TEST_F(NewsFiles, InitReportsEmptyAndFullFilesInOrder) {
    ASSERT_TRUE(writeRawFile(&appData, {NP("quorl-system")}, ""));
    EXPECT_EQ(askStore("quorlV1 init prod"), (Texts{"quorlV1 initSid ", "quorlV1 initDone "}));

    ASSERT_TRUE(writeRawFile(&appData, {NP("quorl-news")}, "news"));
    ASSERT_TRUE(writeRawFile(&appData, {NP("prod"), NP("latest")}, "late"));
    ASSERT_TRUE(writeRawFile(&appData, {NP("other"), NP("latest")}, "not this one"));
    EXPECT_EQ(askStore("quorlV1 init prod"),
              (Texts{"quorlV1 initSid ", "quorlV1 initNews news", "quorlV1 initLatest late",
                     "quorlV1 initDone "}));
}

TEST_F(NewsFiles, DashSyncCreatesFolderAndFileThenConflictsLeavingItUnchanged) {
    EXPECT_EQ(askStore("quorlV1 syncNews -:v0000001 first"), Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "v0000001 first");
    EXPECT_EQ(askStore("quorlV1 syncNews -:v0000002 second"),
              (Texts{"quorlV1 syncNewsConflict v0000001 first"}));
    EXPECT_EQ(raw({NP("quorl-news")}), "v0000001 first");

    EXPECT_EQ(askStore("quorlV1 syncLatest prod - late"), Texts{});
    EXPECT_EQ(raw({NP("prod"), NP("latest")}), "late");
    EXPECT_EQ(askStore("quorlV1 syncLatest prod - again"),
              (Texts{"quorlV1 syncLatestConflict late"}));
}

TEST_F(NewsFiles, TaggedSyncWritesOnlyWhenAllEightCharactersMatch) {
    ASSERT_TRUE(writeRawFile(&appData, {NP("quorl-news")}, "v0000001 a much longer first text"));
    for (int i = 0; i < 8; i++) {
        std::string tag = "v0000001";
        tag[i] = '#';
        EXPECT_EQ(askStore("quorlV1 syncNews " + tag + " lost"),
                  (Texts{"quorlV1 syncNewsConflict v0000001 a much longer first text"}))
            << tag;
    }
    EXPECT_EQ(askStore("quorlV1 syncNews v0000001|v0000002 short"), Texts{});
    // The file is replaced, not overwritten in place: no tail of the old text.
    EXPECT_EQ(raw({NP("quorl-news")}), "v0000002 short");
    EXPECT_EQ(askStore("quorlV1 getNews "), (Texts{"quorlV1 getNews v0000002 short"}));
}

TEST_F(NewsFiles, EmptyFilesMatchEveryExpectationAndShortTextsConflict) {
    ASSERT_TRUE(writeRawFile(&appData, {NP("quorl-news")}, ""));
    EXPECT_EQ(askStore("quorlV1 syncNews zzzzzzzz abc"), Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "abc");
    // Shorter than a tag: every tagged sync conflicts, even on a prefix match.
    EXPECT_EQ(askStore("quorlV1 syncNews abc+++++ x"), (Texts{"quorlV1 syncNewsConflict abc"}));
    EXPECT_EQ(askStore("quorlV1 syncNews abc\n\n\n\n\n x"),
              (Texts{"quorlV1 syncNewsConflict abc"}));
    EXPECT_EQ(askStore("quorlV1 syncNews -:x"), (Texts{"quorlV1 syncNewsConflict abc"}));
    EXPECT_EQ(raw({NP("quorl-news")}), "abc");
}

TEST_F(NewsFiles, ForcedWritesReplaceWhateverWasStoredWithoutReply) {
    ASSERT_TRUE(writeRawFile(&appData, {NP("quorl-news")}, "a long old news text"));
    EXPECT_EQ(askStore("quorlV1 syncNewsForce new"), Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "new");
    EXPECT_EQ(askStore("quorlV1 syncLatestForce p\xc3\xa9 latest one"), Texts{});
    EXPECT_EQ(raw({NP("p\u00e9"), NP("latest")}), "latest one");
    EXPECT_EQ(askStore("quorlV1 newSid sid"), Texts{});
    EXPECT_EQ(askStore("quorlV1 newSid "), Texts{});
    EXPECT_EQ(raw({NP("quorl-system")}), "");
    EXPECT_EQ(askStore("quorlV1 init p\xc3\xa9"),
              (Texts{"quorlV1 initSid ", "quorlV1 initNews new", "quorlV1 initLatest latest one",
                     "quorlV1 initDone "}));
}

TEST_F(NewsFiles, LineFeedsAreStoredAsCrLfAndReadBackAsLineFeeds) {
    EXPECT_EQ(askStore("quorlV1 syncNewsForce ab\ncdefgh\nrest"), Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "ab\r\ncdefgh\r\nrest");
    EXPECT_EQ(askStore("quorlV1 getNews "), (Texts{"quorlV1 getNews ab\ncdefgh\nrest"}));
    // The tag is compared in characters as read: the line feed counts once.
    EXPECT_EQ(askStore("quorlV1 syncNews ab\ncdefg|x\ny"), Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "x\r\ny");
    EXPECT_EQ(askStore("quorlV1 syncNews --:z"), (Texts{"quorlV1 syncNewsConflict x\ny"}));
}

TEST_F(NewsFiles, ControlZBytesNeitherEndAReadNorGetCutOffTheFile) {
    EXPECT_EQ(askStore("quorlV1 syncNewsForce ab\x1a"
                       "cd\nend\x1a"),
              Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "ab\x1a"
                                       "cd\r\nend\x1a");
    EXPECT_EQ(askStore("quorlV1 getNews "), (Texts{"quorlV1 getNews ab\x1a"
                                                   "cd\nend\x1a"}));
    EXPECT_EQ(askStore("quorlV1 syncNews -:x"), (Texts{"quorlV1 syncNewsConflict ab\x1a"
                                                       "cd\nend\x1a"}));
    EXPECT_EQ(raw({NP("quorl-news")}), "ab\x1a"
                                       "cd\r\nend\x1a");
}

TEST_F(NewsFiles, IdentifiersNeverReachOutsideTheBaseFolder) {
    ASSERT_TRUE(writeRawFile(&appData, {NP("quorl-news")}, "n"));
    for (const char* request :
         {"quorlV1 syncLatestForce .. escaped", "quorlV1 syncLatestForce ..\\.. escaped",
          "quorlV1 syncLatestForce ../x escaped", "quorlV1 syncLatestForce C:\\x escaped",
          "quorlV1 syncLatest .. -:escaped", "quorlV1 syncLatestForce \xff\xfe escaped",
          "quorlV1 syncLatestForce  escaped", "quorlV1 syncLatest prod", "quorlV1 syncNews -"}) {
        EXPECT_EQ(askStore(request), Texts{}) << request;
    }
    EXPECT_FALSE(pathExists(appData.root + NEWS_SEPARATOR + NP("latest")));
    EXPECT_FALSE(pathExists(appData.root + NEWS_SEPARATOR + NP("x")));
    EXPECT_FALSE(pathExists(newsFilePath(&appData, {NP("latest")})));
    EXPECT_EQ(raw({NP("quorl-news")}), "n");
    EXPECT_EQ(askStore("quorlV1 init .."), (Texts{"quorlV1 initNews n", "quorlV1 initDone "}));
}

TEST_F(NewsFiles, WithoutABaseFolderEverythingIsSilentAndNothingIsWritten) {
    privateBaseUnset();
    EXPECT_EQ(askStore("quorlV1 syncNewsForce x"), Texts{});
    EXPECT_EQ(askStore("quorlV1 syncNews -:x"), Texts{});
    EXPECT_EQ(askStore("quorlV1 newSid x"), Texts{});
    // Reads of paths that cannot be built count as missing files.
    EXPECT_EQ(askStore("quorlV1 init prod"), (Texts{"quorlV1 initDone "}));
    EXPECT_EQ(askStore("quorlV1 getNews "), (Texts{"quorlV1 getNews "}));
    // An empty value is no folder either (it would put the files at the
    // root of the current drive, or of the file system).
    privateBaseEmpty();
    EXPECT_EQ(askStore("quorlV1 syncNewsForce x"), Texts{});
    EXPECT_FALSE(pathExists(NewsPath(NEWS_SEPARATOR) + NP("Zarvosonic")));
    privateBaseRestore(&appData);
    EXPECT_FALSE(pathExists(newsFilePath(&appData, {})));
}

TEST_F(NewsFiles, EntryPathJoinsComponentsAndRefusesBadOnes) {
    NewsComponents two = {{{"id", 2}, {"latest", 6}}, 2};
    NewsPathChar* path = nullptr;
    ASSERT_EQ(entryPath(&two, false, &path), kNewsPathOk);
    EXPECT_EQ(NewsPath(path), newsFilePath(&appData, {NP("id"), NP("latest")}));
    free(path);
    ASSERT_EQ(entryPath(&two, true, &path), kNewsPathOk);
    EXPECT_EQ(NewsPath(path), newsFilePath(&appData, {NP("id")}));
    free(path);

    NewsComponents empty = {{{"", 0}, {"latest", 6}}, 2};
    NewsComponents invalidUtf8 = {{{"\xc3", 1}, {"latest", 6}}, 2};
    EXPECT_EQ(entryPath(&empty, false, &path), kNewsPathInvalid);
    EXPECT_EQ(entryPath(&invalidUtf8, false, &path), kNewsPathInvalid);
    EXPECT_EQ(path, nullptr);
}

TEST_F(NewsFiles, EnsureFoldersCreatesEveryMissingLevelAndFailsThroughAFile) {
    // Runs of separators count as one; a slash separates on Windows too.
    NewsPath deep = appData.root + NEWS_SEPARATOR NP("a") NEWS_SEPARATOR NEWS_SEPARATOR NP("b/c");
    EXPECT_TRUE(ensureFolders(deep.c_str()));
    EXPECT_TRUE(pathExists(appData.root + NEWS_SEPARATOR NP("a") NEWS_SEPARATOR NP("b")
                                              NEWS_SEPARATOR NP("c")));
    EXPECT_TRUE(ensureFolders(deep.c_str())); // all present already

    ASSERT_TRUE(writeRawFile(&appData, {NP("plain")}, "x"));
    NewsPath throughFile = newsFilePath(&appData, {NP("plain"), NP("sub")});
    EXPECT_FALSE(ensureFolders(throughFile.c_str()));
#ifdef _WIN32
    // A long-path form of the same folders works as well.
    std::wstring longForm = L"\\\\?\\" + appData.root + L"\\long\\er";
    EXPECT_TRUE(ensureFolders(longForm.c_str()));
    EXPECT_TRUE(pathExists(appData.root + L"\\long\\er"));
#endif
}

#ifndef _WIN32
TEST_F(NewsFiles, WithoutAnAbsoluteXdgDataHomeTheFilesGoUnderHomeLocalShare) {
    setenv("HOME", appData.root.c_str(), 1);
    const std::string inHome = appData.root + "/.local/share/Zarvosonic/quorl-news";
    struct Case {
        const char* value; // null: unset
        const char* text;
    };
    for (Case c : {Case{nullptr, "unset"}, Case{"", "empty"}, Case{"relative/data", "relative"}}) {
        if (c.value)
            setenv("XDG_DATA_HOME", c.value, 1);
        else
            unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(askStore(std::string("quorlV1 syncNewsForce ") + c.text), Texts{});
        std::string bytes;
        EXPECT_TRUE(readRawFile(inHome, &bytes));
        EXPECT_EQ(bytes, c.text);
    }
    EXPECT_FALSE(pathExists("relative"));
    privateBaseRestore(&appData);
    EXPECT_EQ(askStore("quorlV1 getNews "), (Texts{"quorlV1 getNews "}));
}
#endif

TEST_F(NewsFiles, WritersWaitForTheLockAndLeaveTheOldTextWholeMeanwhile) {
    ASSERT_TRUE(writeRawFile(&appData, {NP("quorl-news")}, "v0000001 held"));
    ForeignLock lock;
    ASSERT_TRUE(lock.take(newsFilePath(&appData, {NP("quorl-news")})));

    std::thread forced([] { askStore("quorlV1 syncNewsForce forced"); });
    Texts syncReplies;
    std::thread sync([&] { syncReplies = askStore("quorlV1 syncNews v0000001 synced"); });
    sleepMs(300);
    // Nothing may have emptied the file before getting the lock.
    EXPECT_EQ(lock.size(), (long long)strlen("v0000001 held"));
    lock.release();
    forced.join();
    sync.join();

    // The forced write wins in either order; a sync after it conflicts with
    // its whole text, never with an emptied file.
    EXPECT_EQ(raw({NP("quorl-news")}), "forced");
    if (!syncReplies.empty()) {
        EXPECT_EQ(syncReplies, (Texts{"quorlV1 syncNewsConflict forced"}));
    }
}

} // namespace
