#include "state/entry_map.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/state/state_test_util.h"

namespace {

// Checks parent links, stored heights and the AVL balance of every node;
// returns the subtree's height.
int32_t check_subtree(const EntryNode* node, const EntryNode* parent) {
    if (!node)
        return 0;
    EXPECT_EQ(node->parent, parent);
    int32_t l = check_subtree(node->left, node);
    int32_t r = check_subtree(node->right, node);
    EXPECT_LE(abs(l - r), 1) << "unbalanced at key "
                             << std::string(static_cast<const char*>(node->record.key),
                                            node->record.key_length);
    int32_t h = std::max(l, r) + 1;
    EXPECT_EQ(node->height, h);
    return h;
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

int compare(const std::string& a, const std::string& b) {
    return sign(entry_map_compare_keys(a.data(), a.size(), b.data(), b.size()));
}

} // namespace

TEST(EntryMapCompare, StrncmpOrderThenShorterFirst) {
    EXPECT_EQ(compare("dsp.tar", "info.map"), -1);
    EXPECT_EQ(compare("parameters.map", "info.map"), 1);
    EXPECT_EQ(compare("mix", "mix"), 0);
    EXPECT_EQ(compare("lfo", "lfo_on"), -1); // a prefix orders first
    EXPECT_EQ(compare("lfo_on", "lfo"), 1);
    EXPECT_EQ(compare("", "a"), -1);
    EXPECT_EQ(compare("", ""), 0);
    // Bytes compare unsigned, as strncmp does.
    EXPECT_EQ(compare(std::string("\xC3", 1), "z"), 1);
    // A NUL both keys share ends the byte comparison: only lengths remain.
    EXPECT_EQ(compare(std::string("a\0b", 3), std::string("a\0c", 3)), 0);
    EXPECT_EQ(compare(std::string("a\0c", 3), std::string("a\0bb", 4)), -1);
    // A NUL against a non-NUL byte is an ordinary difference.
    EXPECT_EQ(compare(std::string("a\0", 2), "ab"), -1);
}

TEST(EntryMap, FindsEveryKeyAndWalksInOrderWhileStayingBalanced) {
    std::vector<std::string> keys;
    for (int i = 0; i < 500; i++)
        keys.push_back("key" + std::to_string((i * 7919) % 1000));
    EntryMap* map = entry_map_new();
    ASSERT_NE(map, nullptr);
    for (const auto& k : keys) {
        ASSERT_EQ(entry_map_insert(map, k.data(), k.size(), k.data(), k.size()), 0);
    }
    int32_t height = check_subtree(map->root, nullptr);
    EXPECT_LE(height, 13); // an AVL tree of 500 nodes is at most ~1.44 log2 n high
    EXPECT_EQ(entry_map_count(map), keys.size());

    for (const auto& k : keys) {
        size_t length = 0;
        const void* v = entry_map_find(map, k.data(), k.size(), &length);
        ASSERT_NE(v, nullptr) << k;
        EXPECT_EQ(v, k.data()); // borrowed, never copied
        EXPECT_EQ(length, k.size());
    }
    EXPECT_EQ(entry_map_find(map, "key", 3, nullptr), nullptr);
    EXPECT_EQ(entry_map_find(map, "key1000", 7, nullptr), nullptr);

    Pairs walked = pairs_of(map);
    std::vector<std::string> sorted = keys;
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(walked.size(), sorted.size());
    for (size_t i = 0; i < sorted.size(); i++)
        EXPECT_EQ(walked[i].first, sorted[i]);
    entry_map_free(map);
}

TEST(EntryMap, AscendingAndDescendingInsertionsRotateIntoBalance) {
    for (int descending = 0; descending < 2; descending++) {
        std::vector<std::string> keys;
        for (int i = 0; i < 256; i++) {
            char k[8];
            snprintf(k, sizeof(k), "%04d", descending ? 255 - i : i);
            keys.push_back(k);
        }
        EntryMap* map = entry_map_new();
        for (const auto& k : keys)
            entry_map_insert(map, k.data(), k.size(), nullptr, 0);
        EXPECT_EQ(check_subtree(map->root, nullptr), 9); // perfectly packed 256 nodes
        Pairs walked = pairs_of(map);
        ASSERT_EQ(walked.size(), 256u);
        EXPECT_EQ(walked.front().first, "0000");
        EXPECT_EQ(walked.back().first, "0255");
        entry_map_free(map);
    }
}

TEST(EntryMap, EqualKeysCoexistAndANewOneGoesJustBeforeTheOneItMeets) {
    EntryMap* map = entry_map_new();
    entry_map_insert(map, "b", 1, "b", 1);
    entry_map_insert(map, "d", 1, "d", 1);
    entry_map_insert(map, "c", 1, "1", 1);
    entry_map_insert(map, "c", 1, "2", 1); // meets "1": goes right before it
    std::string order;
    for (const auto& p : pairs_of(map))
        order += p.second;
    EXPECT_EQ(order, "b21d");
    EntryMap* single = entry_map_new();
    entry_map_insert(single, "k", 1, "1", 1);
    entry_map_insert(single, "k", 1, "2", 1); // the root itself has no left child
    order.clear();
    for (const auto& p : pairs_of(single))
        order += p.second;
    EXPECT_EQ(order, "21");
    entry_map_free(single);

    // More equal keys: all kept, contiguous, never replacing one another.
    for (const char* tag : {"3", "4", "5", "6", "7"})
        ASSERT_EQ(entry_map_insert(map, "c", 1, tag, 1), 0);
    entry_map_insert(map, "a", 1, "a", 1);
    check_subtree(map->root, nullptr);
    Pairs walked = pairs_of(map);
    std::string keys, tags;
    for (const auto& p : walked) {
        keys += p.first;
        if (p.first == "c")
            tags += p.second;
    }
    EXPECT_EQ(keys, "abcccccccd");
    std::sort(tags.begin(), tags.end());
    EXPECT_EQ(tags, "1234567");
    const char* found = static_cast<const char*>(entry_map_find(map, "c", 1, nullptr));
    ASSERT_NE(found, nullptr);
    EXPECT_NE(std::string("1234567").find(*found), std::string::npos);
    entry_map_free(map);
}

TEST(EntryMap, ForEachStopsAtTheFirstNonZeroResult) {
    EntryMap* map = entry_map_new();
    for (const char* k : {"a", "b", "c", "d"})
        entry_map_insert(map, k, 1, k, 1);
    struct Seen {
        std::string keys;
    } seen;
    int32_t result = entry_map_for_each(
        map,
        [](const void* k, size_t, const void*, size_t, void* user) -> int32_t {
            Seen* s = static_cast<Seen*>(user);
            s->keys += *static_cast<const char*>(k);
            return s->keys.size() == 2 ? 42 : 0;
        },
        &seen);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(seen.keys, "ab");
    entry_map_free(map);
}

TEST(EntryMap, EmptyMapAndEmptyValues) {
    EntryMap* map = entry_map_new();
    EXPECT_EQ(entry_map_count(map), 0u);
    EXPECT_EQ(entry_map_find(map, "x", 1, nullptr), nullptr);
    EXPECT_EQ(pairs_of(map).size(), 0u);
    // A present pair with no value bytes is still found.
    entry_map_insert(map, "x", 1, nullptr, 0);
    size_t length = 99;
    EXPECT_NE(entry_map_find(map, "x", 1, &length), nullptr);
    EXPECT_EQ(length, 0u);
    entry_map_free(map);
    entry_map_free(nullptr);
}
