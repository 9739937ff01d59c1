// Helpers for tests that need hand-made archives and key/value maps,
// including malformed ones the save procedure would never produce.
#pragma once
#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/parameter_table.h"
#include "state/entry_map.h"
#include "state/kv_map.h"
#include "state/tar.h"

typedef std::vector<std::pair<std::string, std::string>> Pairs;

inline std::string f32_bytes(float value) {
    unsigned char b[4];
    uint32_t bits;
    memcpy(&bits, &value, 4);
    for (int i = 0; i < 4; i++)
        b[i] = (unsigned char)(bits >> (8 * i));
    return std::string(reinterpret_cast<char*>(b), 4);
}

inline std::string i32_bytes(int32_t value) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; i++)
        s[i] = (char)((uint32_t)value >> (8 * i));
    return s;
}

// Runs a writer over the pairs (the map borrows the strings) and returns its
// bytes; `ok` is false when the writer returned null.
inline std::string write_pairs(const Pairs& pairs, void* (*writer)(const EntryMap*, size_t*),
                               bool* ok = nullptr) {
    EntryMap* map = entry_map_new();
    for (const auto& p : pairs)
        entry_map_insert(map, p.first.data(), p.first.size(), p.second.data(), p.second.size());
    size_t length = 0;
    void* bytes = writer(map, &length);
    entry_map_free(map);
    if (ok)
        *ok = bytes != nullptr;
    std::string out = bytes ? std::string(static_cast<char*>(bytes), length) : std::string();
    free(bytes);
    return out;
}

inline std::string tar_of(const Pairs& entries) {
    return write_pairs(entries, tar_write);
}
inline std::string kv_of(const Pairs& pairs) {
    return write_pairs(pairs, kv_map_write);
}

// All pairs of a map in walk order.
inline Pairs pairs_of(const EntryMap* map) {
    Pairs out;
    entry_map_for_each(
        map,
        [](const void* k, size_t kl, const void* v, size_t vl, void* user) -> int32_t {
            static_cast<Pairs*>(user)->emplace_back(std::string(static_cast<const char*>(k), kl),
                                                    std::string(static_cast<const char*>(v), vl));
            return 0;
        },
        &out);
    return out;
}

// The pieces of a saved state, as the writer would make them by default.
struct StateParts {
    Pairs info;
    Pairs parameters;
    std::string version = "1.0";
    Pairs inner_extras;
    Pairs outer_extras;
    bool with_info = true;
    bool with_parameters = true;
    bool with_version = true;
    bool with_dsp = true;

    StateParts() {
        info = {{"id", "zarvo-oka-oka-wah"},     {"version_major", i32_bytes(1)},
                {"version_minor", i32_bytes(0)}, {"version_revision", i32_bytes(0)},
                {"version_build", i32_bytes(1)}, {"format", "vst3"},
                {"platform", "windows"},         {"sample_rate", f32_bytes(48000.0f)}};
        for (uint32_t i = 0; i < kInputParameterCount; i++)
            parameters.emplace_back(kParameterDescriptions[i].id,
                                    f32_bytes((float)kInputParameterRecords[i].default_value));
    }

    void set_parameter(const std::string& id, const std::string& bytes) {
        for (auto& p : parameters)
            if (p.first == id)
                p.second = bytes;
    }
    void drop(Pairs& from, const std::string& key) {
        for (size_t i = 0; i < from.size(); i++)
            if (from[i].first == key)
                from.erase(from.begin() + i--);
    }

    std::string build() const {
        Pairs inner = inner_extras;
        if (with_version)
            inner.emplace_back("version", version);
        if (with_info)
            inner.emplace_back("info.map", kv_of(info));
        if (with_parameters)
            inner.emplace_back("parameters.map", kv_of(parameters));
        Pairs outer = outer_extras;
        if (with_dsp)
            outer.emplace_back("dsp.tar", tar_of(inner));
        return tar_of(outer);
    }
};
