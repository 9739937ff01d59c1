// Writes the committed saved-state fixtures and the state fuzzers' seed
// corpora. Run by hand only when a new fixture is added: committed fixtures
// are never rewritten.
//   state_fixture_writer FIXTURE_DIR SEED_ROOT
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

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
    const char* state_targets[] = {"fuzz_state_archive_read", "fuzz_state_restore"};
    for (const char* t : state_targets) {
        ok = ok && write_file(seeds + "/" + t + "/defaults", a.data(), a.size()) &&
             write_file(seeds + "/" + t + "/custom", b.data(), b.size());
    }
    ok = ok && write_file(seeds + "/fuzz_tar_read/outer", a.data(), a.size()) &&
         write_file(seeds + "/fuzz_tar_read/inner", dsp.data(), dsp.size());
    std::string info = entry(dsp, "info.map"), parameters = entry(dsp, "parameters.map");
    ok = ok && write_file(seeds + "/fuzz_kv_map_read/info", info.data(), info.size()) &&
         write_file(seeds + "/fuzz_kv_map_read/parameters", parameters.data(), parameters.size());
    if (!ok)
        fprintf(stderr, "writing failed\n");
    return ok ? 0 : 1;
}
