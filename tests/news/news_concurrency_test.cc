// Several processes of this program work on the same news files at once,
// the way editors in different host processes do: tagged read-modify-sync
// cycles on the news text, forced writes and reads of a large latest text.
// Started with "--hammer <worker> <go file>" the program is one such worker;
// the workers start together once the go file exists.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "news/news_store.h"
#include "tests/news/news_test_appdata.h"

namespace {

const int kWorkers = 4;
const int kUpdatesPerWorker = 25;
const size_t kLatestSize = 64 * 1024;

// News text: "%08x\n" version, one line per accepted update, "end <count>\n".
// The count line makes a cut-off text detectable.
struct NewsBoard {
    unsigned version = 0;
    std::vector<std::string> updates;
};

bool parse_board(const std::string& text, NewsBoard* board) {
    board->updates.clear();
    if (text.size() < 9 || text[8] != '\n')
        return false;
    board->version = (unsigned)strtoul(text.substr(0, 8).c_str(), nullptr, 16);
    size_t at = 9;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            return false;
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.compare(0, 4, "end ") == 0) {
            return at == text.size() && line == "end " + std::to_string(board->updates.size());
        }
        board->updates.push_back(line);
    }
    return false;
}

std::string format_board(const NewsBoard& board) {
    char version[16];
    snprintf(version, sizeof version, "%08x\n", board.version);
    std::string text = version;
    for (const std::string& update : board.updates)
        text += update + "\n";
    return text + "end " + std::to_string(board.updates.size()) + "\n";
}

// Latest text: a header naming the writer, then one letter repeated in lines.
std::string big_latest(int worker, int round) {
    char letter = (char)('a' + worker);
    std::string text = "big " + std::to_string(worker) + " " + std::to_string(round) + "\n";
    while (text.size() < kLatestSize)
        text += std::string(63, letter) + "\n";
    return text + "end\n";
}

bool whole_latest(const std::string& text) {
    int worker = -1, round = -1;
    if (sscanf(text.c_str(), "big %d %d", &worker, &round) != 2)
        return false;
    return worker >= 0 && worker < kWorkers && text == big_latest(worker, round);
}

const char kConflict[] = "quorlV1 syncNewsConflict ";

int fail(int worker, const std::string& what) {
    fprintf(stderr, "worker %d: %s\n", worker, what.c_str());
    return 1;
}

// One accepted update: retries on conflicts, taking the stored text that
// each conflict carries as the new base.
int add_update(int worker, const std::string& update, std::string* base, int* conflicts) {
    for (int attempt = 0; attempt < 10000; attempt++) {
        NewsBoard board;
        if (!base->empty() && !parse_board(*base, &board))
            return fail(worker, "bad base");
        NewsBoard next = board;
        next.version++;
        next.updates.push_back(update);
        std::string expect = base->empty() ? "-" : base->substr(0, 8);
        std::vector<std::string> replies =
            ask_store("quorlV1 syncNews " + expect + " " + format_board(next));
        if (replies.empty()) {
            *base = format_board(next);
            return 0;
        }
        const std::string& reply = replies[0];
        if (replies.size() != 1 || reply.compare(0, strlen(kConflict), kConflict) != 0) {
            return fail(worker, "unexpected reply " + reply);
        }
        *base = reply.substr(strlen(kConflict));
        if (!parse_board(*base, &board))
            return fail(worker, "conflict text not whole: " + *base);
        (*conflicts)++;
    }
    return fail(worker, "no progress");
}

// Reads the latest text through init; it must be absent or whole.
int check_latest(int worker) {
    std::vector<std::string> replies = ask_store("quorlV1 init prod");
    if (replies.empty() || replies.back() != "quorlV1 initDone ") {
        return fail(worker, "init did not finish");
    }
    const char prefix[] = "quorlV1 initLatest ";
    for (const std::string& reply : replies) {
        if (reply.compare(0, strlen(prefix), prefix) == 0 &&
            !whole_latest(reply.substr(strlen(prefix)))) {
            return fail(worker,
                        "half-written latest text (" + std::to_string(reply.size()) + " bytes)");
        }
    }
    return 0;
}

int run_worker(int worker, const char* go_file) {
    FILE* go;
    for (int waited = 0; (go = fopen(go_file, "rb")) == nullptr; waited++) {
        if (waited > 120000)
            return fail(worker, "no start");
        sleep_ms(1);
    }
    fclose(go);
    std::vector<std::string> news = ask_store("quorlV1 getNews ");
    if (news.size() != 1)
        return fail(worker, "getNews gave no reply");
    std::string base = news[0].substr(strlen("quorlV1 getNews "));
    int conflicts = 0;
    for (int k = 0; k < kUpdatesPerWorker; k++) {
        std::string update = "w" + std::to_string(worker) + "-" + std::to_string(k);
        if (add_update(worker, update, &base, &conflicts) != 0)
            return 1;
        ask_store("quorlV1 syncLatestForce prod " + big_latest(worker, k));
        if (check_latest(worker) != 0)
            return 1;
    }
    printf("worker %d: %d conflicts\n", worker, conflicts);
    return 0;
}

TEST(NewsAcrossProcesses, TaggedSyncsLoseNothingAndReadersSeeOnlyWholeTexts) {
    PrivateAppData app_data;
    ASSERT_TRUE(private_app_data_create(&app_data, "procs"));
    // The go file lies outside the store's folder (a name of ASCII only).
    NewsPath go = app_data.root + NEWS_SEPARATOR NP("go");
    std::string go_file(go.begin(), go.end());

    std::vector<SelfProcess> workers(kWorkers);
    for (int worker = 0; worker < kWorkers; worker++) {
        ASSERT_TRUE(start_self({"--hammer", std::to_string(worker), go_file}, &workers[worker]))
            << "worker " << worker;
    }
    FILE* signal = fopen(go_file.c_str(), "w");
    ASSERT_NE(signal, nullptr);
    fclose(signal);
    for (int worker = 0; worker < kWorkers; worker++)
        EXPECT_EQ(wait_self(&workers[worker]), 0) << "worker " << worker;

    // Every update that got no conflict is in the final text, exactly once,
    // and the version counts them all.
    std::vector<std::string> news = ask_store("quorlV1 getNews ");
    ASSERT_EQ(news.size(), 1u);
    NewsBoard board;
    ASSERT_TRUE(parse_board(news[0].substr(strlen("quorlV1 getNews ")), &board));
    std::set<std::string> seen(board.updates.begin(), board.updates.end());
    EXPECT_EQ(seen.size(), board.updates.size());
    EXPECT_EQ(board.updates.size(), (size_t)(kWorkers * kUpdatesPerWorker));
    EXPECT_EQ(board.version, (unsigned)(kWorkers * kUpdatesPerWorker));
    for (int worker = 0; worker < kWorkers; worker++) {
        for (int k = 0; k < kUpdatesPerWorker; k++) {
            std::string update = "w" + std::to_string(worker) + "-" + std::to_string(k);
            EXPECT_EQ(seen.count(update), 1u) << update;
        }
    }
    std::vector<std::string> init = ask_store("quorlV1 init prod");
    ASSERT_EQ(init.size(), 3u);
    EXPECT_TRUE(whole_latest(init[1].substr(strlen("quorlV1 initLatest "))));
    private_app_data_remove(&app_data);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--hammer") == 0)
        return run_worker(atoi(argv[2]), argv[3]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
