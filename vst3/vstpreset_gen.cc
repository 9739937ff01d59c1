// Writes one .vstpreset file per factory preset, OUT_DIR/<category>/<name>
// .vstpreset, each holding the state the component saves for the preset's
// values (format "vst3", no sample rate yet), so a host that loads it hands
// the component exactly the preset.
//
// usage: vstpreset_gen OUT_DIR   (OUT_DIR must exist) [build time]
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "engine/factory_presets.h"
#include "state/state_archive.h"
#include "state/state_save.h"
#include "vst3/vstpreset.h"

// The component's class id (kComponentClassId in factory.cc) as the text a
// preset file carries: its four 32-bit words in hex. The preset tests hold
// it to the class id the factory reports.
static const char kComponentClassIdText[] = "FDEF4AACEADD4EFAA4C00EC372FE9602";

static bool write_file(const char* path, const void* bytes, size_t length) {
    FILE* f = fopen(path, "wb");
    if (f == nullptr)
        return false;
    bool ok = fwrite(bytes, 1, length, f) == length;
    return fclose(f) == 0 && ok;
}

static bool write_preset(const char* dir, const FactoryPreset& p) {
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", dir, p.category);
    if (mkdir(path, 0777) != 0 && errno != EEXIST)
        return false;
    size_t state_length = 0;
    void* state = state_save(p.values, 0.0f, OKA_STATE_FORMAT_VST3, &state_length);
    size_t file_length = 0;
    void* file = state != nullptr
                     ? vstpreset_write(kComponentClassIdText, state, state_length, &file_length)
                     : nullptr;
    snprintf(path, sizeof path, "%s/%s/%s.vstpreset", dir, p.category, p.name);
    bool ok = file != nullptr && write_file(path, file, file_length);
    free(file);
    free(state);
    return ok;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: vstpreset_gen OUT_DIR\n");
        return 2;
    }
    for (const FactoryPreset& p : kFactoryPresets) {
        if (!write_preset(argv[1], p)) {
            fprintf(stderr, "vstpreset_gen: cannot write %s/%s/%s.vstpreset\n", argv[1], p.category,
                    p.name);
            return 1;
        }
    }
    return 0;
}
