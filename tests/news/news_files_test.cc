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
    void SetUp() override { ASSERT_TRUE(private_app_data_create(&app_data, "files")); }
    void TearDown() override { private_app_data_remove(&app_data); }

    std::string raw(const std::vector<NewsPath>& parts) {
        std::string bytes;
        EXPECT_TRUE(read_raw_file(news_file_path(&app_data, parts), &bytes));
        return bytes;
    }

    PrivateAppData app_data;
};

TEST_F(NewsFiles, InitOnAnEmptyStoreSendsOnlyDoneAndCreatesNothing) {
    EXPECT_EQ(ask_store("quorlV1 init prod"), (Texts{"quorlV1 initDone "}));
    EXPECT_FALSE(path_exists(news_file_path(&app_data, {})));
    EXPECT_EQ(ask_store("quorlV1 getNews "), (Texts{"quorlV1 getNews "}));
}

TEST_F(NewsFiles, InitReportsEmptyAndFullFilesInOrder) {
    ASSERT_TRUE(write_raw_file(&app_data, {NP("quorl-system")}, ""));
    EXPECT_EQ(ask_store("quorlV1 init prod"), (Texts{"quorlV1 initSid ", "quorlV1 initDone "}));

    ASSERT_TRUE(write_raw_file(&app_data, {NP("quorl-news")}, "news"));
    ASSERT_TRUE(write_raw_file(&app_data, {NP("prod"), NP("latest")}, "late"));
    ASSERT_TRUE(write_raw_file(&app_data, {NP("other"), NP("latest")}, "not this one"));
    EXPECT_EQ(ask_store("quorlV1 init prod"),
              (Texts{"quorlV1 initSid ", "quorlV1 initNews news", "quorlV1 initLatest late",
                     "quorlV1 initDone "}));
}

TEST_F(NewsFiles, DashSyncCreatesFolderAndFileThenConflictsLeavingItUnchanged) {
    EXPECT_EQ(ask_store("quorlV1 syncNews -:v0000001 first"), Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "v0000001 first");
    EXPECT_EQ(ask_store("quorlV1 syncNews -:v0000002 second"),
              (Texts{"quorlV1 syncNewsConflict v0000001 first"}));
    EXPECT_EQ(raw({NP("quorl-news")}), "v0000001 first");

    EXPECT_EQ(ask_store("quorlV1 syncLatest prod - late"), Texts{});
    EXPECT_EQ(raw({NP("prod"), NP("latest")}), "late");
    EXPECT_EQ(ask_store("quorlV1 syncLatest prod - again"),
              (Texts{"quorlV1 syncLatestConflict late"}));
}

TEST_F(NewsFiles, TaggedSyncWritesOnlyWhenAllEightCharactersMatch) {
    ASSERT_TRUE(write_raw_file(&app_data, {NP("quorl-news")}, "v0000001 a much longer first text"));
    for (int i = 0; i < 8; i++) {
        std::string tag = "v0000001";
        tag[i] = '#';
        EXPECT_EQ(ask_store("quorlV1 syncNews " + tag + " lost"),
                  (Texts{"quorlV1 syncNewsConflict v0000001 a much longer first text"}))
            << tag;
    }
    EXPECT_EQ(ask_store("quorlV1 syncNews v0000001|v0000002 short"), Texts{});
    // The file is replaced, not overwritten in place: no tail of the old text.
    EXPECT_EQ(raw({NP("quorl-news")}), "v0000002 short");
    EXPECT_EQ(ask_store("quorlV1 getNews "), (Texts{"quorlV1 getNews v0000002 short"}));
}

TEST_F(NewsFiles, EmptyFilesMatchEveryExpectationAndShortTextsConflict) {
    ASSERT_TRUE(write_raw_file(&app_data, {NP("quorl-news")}, ""));
    EXPECT_EQ(ask_store("quorlV1 syncNews zzzzzzzz abc"), Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "abc");
    // Shorter than a tag: every tagged sync conflicts, even on a prefix match.
    EXPECT_EQ(ask_store("quorlV1 syncNews abc+++++ x"), (Texts{"quorlV1 syncNewsConflict abc"}));
    EXPECT_EQ(ask_store("quorlV1 syncNews abc\n\n\n\n\n x"),
              (Texts{"quorlV1 syncNewsConflict abc"}));
    EXPECT_EQ(ask_store("quorlV1 syncNews -:x"), (Texts{"quorlV1 syncNewsConflict abc"}));
    EXPECT_EQ(raw({NP("quorl-news")}), "abc");
}

TEST_F(NewsFiles, ForcedWritesReplaceWhateverWasStoredWithoutReply) {
    ASSERT_TRUE(write_raw_file(&app_data, {NP("quorl-news")}, "a long old news text"));
    EXPECT_EQ(ask_store("quorlV1 syncNewsForce new"), Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "new");
    EXPECT_EQ(ask_store("quorlV1 syncLatestForce p\xc3\xa9 latest one"), Texts{});
    EXPECT_EQ(raw({NP("p\u00e9"), NP("latest")}), "latest one");
    EXPECT_EQ(ask_store("quorlV1 newSid sid"), Texts{});
    EXPECT_EQ(ask_store("quorlV1 newSid "), Texts{});
    EXPECT_EQ(raw({NP("quorl-system")}), "");
    EXPECT_EQ(ask_store("quorlV1 init p\xc3\xa9"),
              (Texts{"quorlV1 initSid ", "quorlV1 initNews new", "quorlV1 initLatest latest one",
                     "quorlV1 initDone "}));
}

TEST_F(NewsFiles, LineFeedsAreStoredAsCrLfAndReadBackAsLineFeeds) {
    EXPECT_EQ(ask_store("quorlV1 syncNewsForce ab\ncdefgh\nrest"), Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "ab\r\ncdefgh\r\nrest");
    EXPECT_EQ(ask_store("quorlV1 getNews "), (Texts{"quorlV1 getNews ab\ncdefgh\nrest"}));
    // The tag is compared in characters as read: the line feed counts once.
    EXPECT_EQ(ask_store("quorlV1 syncNews ab\ncdefg|x\ny"), Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "x\r\ny");
    EXPECT_EQ(ask_store("quorlV1 syncNews --:z"), (Texts{"quorlV1 syncNewsConflict x\ny"}));
}

TEST_F(NewsFiles, ControlZBytesNeitherEndAReadNorGetCutOffTheFile) {
    EXPECT_EQ(ask_store("quorlV1 syncNewsForce ab\x1a"
                        "cd\nend\x1a"),
              Texts{});
    EXPECT_EQ(raw({NP("quorl-news")}), "ab\x1a"
                                       "cd\r\nend\x1a");
    EXPECT_EQ(ask_store("quorlV1 getNews "), (Texts{"quorlV1 getNews ab\x1a"
                                                    "cd\nend\x1a"}));
    EXPECT_EQ(ask_store("quorlV1 syncNews -:x"), (Texts{"quorlV1 syncNewsConflict ab\x1a"
                                                        "cd\nend\x1a"}));
    EXPECT_EQ(raw({NP("quorl-news")}), "ab\x1a"
                                       "cd\r\nend\x1a");
}

TEST_F(NewsFiles, IdentifiersNeverReachOutsideTheBaseFolder) {
    ASSERT_TRUE(write_raw_file(&app_data, {NP("quorl-news")}, "n"));
    for (const char* request :
         {"quorlV1 syncLatestForce .. escaped", "quorlV1 syncLatestForce ..\\.. escaped",
          "quorlV1 syncLatestForce ../x escaped", "quorlV1 syncLatestForce C:\\x escaped",
          "quorlV1 syncLatest .. -:escaped", "quorlV1 syncLatestForce \xff\xfe escaped",
          "quorlV1 syncLatestForce  escaped", "quorlV1 syncLatest prod", "quorlV1 syncNews -"}) {
        EXPECT_EQ(ask_store(request), Texts{}) << request;
    }
    EXPECT_FALSE(path_exists(app_data.root + NEWS_SEPARATOR + NP("latest")));
    EXPECT_FALSE(path_exists(app_data.root + NEWS_SEPARATOR + NP("x")));
    EXPECT_FALSE(path_exists(news_file_path(&app_data, {NP("latest")})));
    EXPECT_EQ(raw({NP("quorl-news")}), "n");
    EXPECT_EQ(ask_store("quorlV1 init .."), (Texts{"quorlV1 initNews n", "quorlV1 initDone "}));
}

TEST_F(NewsFiles, WithoutABaseFolderEverythingIsSilentAndNothingIsWritten) {
    private_base_unset();
    EXPECT_EQ(ask_store("quorlV1 syncNewsForce x"), Texts{});
    EXPECT_EQ(ask_store("quorlV1 syncNews -:x"), Texts{});
    EXPECT_EQ(ask_store("quorlV1 newSid x"), Texts{});
    // Reads of paths that cannot be built count as missing files.
    EXPECT_EQ(ask_store("quorlV1 init prod"), (Texts{"quorlV1 initDone "}));
    EXPECT_EQ(ask_store("quorlV1 getNews "), (Texts{"quorlV1 getNews "}));
    // An empty value is no folder either (it would put the files at the
    // root of the current drive, or of the file system).
    private_base_empty();
    EXPECT_EQ(ask_store("quorlV1 syncNewsForce x"), Texts{});
    EXPECT_FALSE(path_exists(NewsPath(NEWS_SEPARATOR) + NP("Zarvosonic")));
    private_base_restore(&app_data);
    EXPECT_FALSE(path_exists(news_file_path(&app_data, {})));
}

TEST_F(NewsFiles, EntryPathJoinsComponentsAndRefusesBadOnes) {
    NewsComponents two = {{{"id", 2}, {"latest", 6}}, 2};
    NewsPathChar* path = nullptr;
    ASSERT_EQ(entryPath(&two, false, &path), kNewsPathOk);
    EXPECT_EQ(NewsPath(path), news_file_path(&app_data, {NP("id"), NP("latest")}));
    free(path);
    ASSERT_EQ(entryPath(&two, true, &path), kNewsPathOk);
    EXPECT_EQ(NewsPath(path), news_file_path(&app_data, {NP("id")}));
    free(path);

    NewsComponents empty = {{{"", 0}, {"latest", 6}}, 2};
    NewsComponents invalid_utf8 = {{{"\xc3", 1}, {"latest", 6}}, 2};
    EXPECT_EQ(entryPath(&empty, false, &path), kNewsPathInvalid);
    EXPECT_EQ(entryPath(&invalid_utf8, false, &path), kNewsPathInvalid);
    EXPECT_EQ(path, nullptr);
}

TEST_F(NewsFiles, EnsureFoldersCreatesEveryMissingLevelAndFailsThroughAFile) {
    // Runs of separators count as one; a slash separates on Windows too.
    NewsPath deep = app_data.root + NEWS_SEPARATOR NP("a") NEWS_SEPARATOR NEWS_SEPARATOR NP("b/c");
    EXPECT_TRUE(ensureFolders(deep.c_str()));
    EXPECT_TRUE(path_exists(app_data.root + NEWS_SEPARATOR NP("a") NEWS_SEPARATOR NP("b")
                                                NEWS_SEPARATOR NP("c")));
    EXPECT_TRUE(ensureFolders(deep.c_str())); // all present already

    ASSERT_TRUE(write_raw_file(&app_data, {NP("plain")}, "x"));
    NewsPath through_file = news_file_path(&app_data, {NP("plain"), NP("sub")});
    EXPECT_FALSE(ensureFolders(through_file.c_str()));
#ifdef _WIN32
    // A long-path form of the same folders works as well.
    std::wstring long_form = L"\\\\?\\" + app_data.root + L"\\long\\er";
    EXPECT_TRUE(ensureFolders(long_form.c_str()));
    EXPECT_TRUE(path_exists(app_data.root + L"\\long\\er"));
#endif
}

#ifndef _WIN32
TEST_F(NewsFiles, WithoutAnAbsoluteXdgDataHomeTheFilesGoUnderHomeLocalShare) {
    setenv("HOME", app_data.root.c_str(), 1);
    const std::string in_home = app_data.root + "/.local/share/Zarvosonic/quorl-news";
    struct Case {
        const char* value; // null: unset
        const char* text;
    };
    for (Case c : {Case{nullptr, "unset"}, Case{"", "empty"}, Case{"relative/data", "relative"}}) {
        if (c.value)
            setenv("XDG_DATA_HOME", c.value, 1);
        else
            unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(ask_store(std::string("quorlV1 syncNewsForce ") + c.text), Texts{});
        std::string bytes;
        EXPECT_TRUE(read_raw_file(in_home, &bytes));
        EXPECT_EQ(bytes, c.text);
    }
    EXPECT_FALSE(path_exists("relative"));
    private_base_restore(&app_data);
    EXPECT_EQ(ask_store("quorlV1 getNews "), (Texts{"quorlV1 getNews "}));
}
#endif

TEST_F(NewsFiles, WritersWaitForTheLockAndLeaveTheOldTextWholeMeanwhile) {
    ASSERT_TRUE(write_raw_file(&app_data, {NP("quorl-news")}, "v0000001 held"));
    ForeignLock lock;
    ASSERT_TRUE(lock.take(news_file_path(&app_data, {NP("quorl-news")})));

    std::thread forced([] { ask_store("quorlV1 syncNewsForce forced"); });
    Texts sync_replies;
    std::thread sync([&] { sync_replies = ask_store("quorlV1 syncNews v0000001 synced"); });
    sleep_ms(300);
    // Nothing may have emptied the file before getting the lock.
    EXPECT_EQ(lock.size(), (long long)strlen("v0000001 held"));
    lock.release();
    forced.join();
    sync.join();

    // The forced write wins in either order; a sync after it conflicts with
    // its whole text, never with an emptied file.
    EXPECT_EQ(raw({NP("quorl-news")}), "forced");
    if (!sync_replies.empty()) {
        EXPECT_EQ(sync_replies, (Texts{"quorlV1 syncNewsConflict forced"}));
    }
}

} // namespace
