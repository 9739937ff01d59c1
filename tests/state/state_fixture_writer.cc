// Writes the committed saved-state fixtures and the state fuzzers' seed
// corpora. Run by hand only when a new fixture is added: committed fixtures
// are never rewritten.
//   state_fixture_writer FIXTURE_DIR SEED_ROOT
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>

#include "state/entry_map.h"
#include "state/state_archive.h"
#include "state/state_save.h"
#include "state/tar.h"
#include "tests/state/fixtures/state_fixtures.h"

static bool write_file(const std::string& path, const void* bytes, size_t length) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes, 1, length, f) == length;
    return fclose(f) == 0 && ok;
}

static std::string save(const float* values, float rate, const char* format) {
    size_t length = 0;
    void* bytes = state_save(values, rate, format, &length);
    std::string out(static_cast<char*>(bytes), length);
    free(bytes);
    return out;
}

// The contents of one entry of a tar archive held in `archive`.
static std::string entry(const std::string& archive, const char* name) {
    EntryMap* map = tar_read(archive.data(), archive.size());
    size_t length = 0;
    const void* v = entry_map_find(map, name, strlen(name), &length);
    std::string out = v ? std::string(static_cast<const char*>(v), length) : "";
    entry_map_free(map);
    return out;
}

static std::string tar(std::initializer_list<std::pair<const char*, std::string>> entries) {
    EntryMap* map = entry_map_new();
    for (const auto& e : entries)
        entry_map_insert(map, e.first, strlen(e.first), e.second.data(), e.second.size());
    size_t length = 0;
    void* bytes = tar_write(map, &length);
    entry_map_free(map);
    std::string out(static_cast<char*>(bytes), length);
    free(bytes);
    return out;
}

// `state` with its plug-in id's last letter changed (same length).
static std::string with_other_id(std::string state) {
    state[state.find(OKA_STATE_PLUGIN_ID) + strlen(OKA_STATE_PLUGIN_ID) - 1] = 'X';
    return state;
}

// Seeds that each take the readers somewhere the plain states do not: extra
// entries at both levels and a version with white space after it (accepted),
// no parameters.map, another plug-in's id, a NaN value (refused), an empty
// tar entry.
static bool write_variant_seeds(const std::string& seeds, const std::string& plain) {
    std::string dsp = entry(plain, "dsp.tar");
    std::string info = entry(dsp, "info.map"), parameters = entry(dsp, "parameters.map");
    std::string extras = tar({{"dsp.tar", tar({{"info.map", info},
                                               {"parameters.map", parameters},
                                               {"version", "1.0\n"},
                                               {"notes", "kept as it is"}})},
                              {"readme", "another program's entry"}});
    std::string no_parameters = tar({{"dsp.tar", tar({{"info.map", info}, {"version", "1.0"}})}});
    float values[kInputParameterCount];
    for (uint32_t i = 0; i < kInputParameterCount; i++)
        values[i] = (float)kInputParameterRecords[i].default_value;
    values[kMix] = NAN;
    std::string nan_mix = save(values, 48000.0f, OKA_STATE_FORMAT_VST3);
    const std::string archive = seeds + "/fuzz_state_archive_read/";
    const std::string restore = seeds + "/fuzz_state_restore/";
    const std::string vst3 = seeds + "/fuzz_vst3_set_state/";
    bool ok = true;
    for (const std::string& dir : {archive, restore, vst3})
        ok = ok && write_file(dir + "extras", extras.data(), extras.size());
    ok = ok && write_file(archive + "no-parameters", no_parameters.data(), no_parameters.size());
    // An entry of no bytes: a header with no data block after it.
    std::string empty_entry = tar({{"version", ""}});
    ok = ok &&
         write_file(seeds + "/fuzz_tar_read/empty-entry", empty_entry.data(), empty_entry.size());
    std::string other_id = with_other_id(plain);
    for (const std::string& dir : {restore, vst3}) {
        ok = ok && write_file(dir + "other-id", other_id.data(), other_id.size()) &&
             write_file(dir + "nan-mix", nan_mix.data(), nan_mix.size());
    }
    return ok;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s FIXTURE_DIR SEED_ROOT\n", argv[0]);
        return 2;
    }
    std::string fixtures = argv[1], seeds = argv[2];
    float defaults[kInputParameterCount];
    for (uint32_t i = 0; i < kInputParameterCount; i++)
        defaults[i] = (float)kInputParameterRecords[i].default_value;
    std::string a = save(defaults, kStateFixtureDefaultsSampleRate, OKA_STATE_FORMAT_VST3);
    std::string b =
        save(kStateFixtureCustomValues, kStateFixtureCustomSampleRate, OKA_STATE_FORMAT_LV2);
    std::string dsp = entry(a, "dsp.tar");
    bool ok = write_file(fixtures + "/defaults-vst3.state", a.data(), a.size()) &&
              write_file(fixtures + "/custom-lv2.state", b.data(), b.size());
    const char* state_targets[] = {"fuzz_state_archive_read", "fuzz_state_restore",
                                   "fuzz_vst3_set_state"};
    for (const char* t : state_targets)
        ok = ok && write_file(seeds + "/" + t + "/defaults", a.data(), a.size());
    ok = ok && write_variant_seeds(seeds, a);
    ok = ok && write_file(seeds + "/fuzz_tar_read/outer", a.data(), a.size()) &&
         write_file(seeds + "/fuzz_tar_read/inner", dsp.data(), dsp.size());
    std::string info = entry(dsp, "info.map"), parameters = entry(dsp, "parameters.map");
    ok = ok && write_file(seeds + "/fuzz_kv_map_read/info", info.data(), info.size()) &&
         write_file(seeds + "/fuzz_kv_map_read/parameters", parameters.data(), parameters.size());
    if (!ok)
        fprintf(stderr, "writing failed\n");
    return ok ? 0 : 1;
}
