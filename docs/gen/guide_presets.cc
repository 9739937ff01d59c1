// The guide's list of factory presets: by category, what each sounds like,
// the settings that make it (from its values) and its demo rendering, which
// the main job writes as dist/demo/presets/NN-<slug>.wav: NN its place in
// the table from 01, the slug the last part of its LV2 preset URI.
#include <string.h>

#include "docs/gen/guide_format.h"
#include "docs/gen/guide_sections.h"
#include "engine/factory_presets.h"
#include "engine/parameter_guide.h"
#include "engine/parameter_names.h"
#include "lv2/ttl_presets.h"

namespace {

// The guide lives in docs/, the demo in dist/demo/ of the same checkout.
const char kDemoFolder[] = "../dist/demo/presets/";

// Appends "; " (unless `out` is empty) and then `piece` to `out`.
void add(char* out, size_t capacity, const char* piece) {
    size_t n = strlen(out);
    snprintf(out + n, capacity - n, "%s%s", n ? "; " : "", piece);
}

void put_lfo(const float* v, char* out, size_t capacity) {
    char piece[256];
    char wave[64];
    char rate[48];
    char number[48];
    format_value(kLfoWaveform, v[kLfoWaveform], wave, sizeof wave);
    const char* name = v[kLfoWaveform] == (float)(uint32_t)v[kLfoWaveform]
                           ? waveform_name((uint32_t)v[kLfoWaveform])
                           : nullptr;
    if (v[kLfoSync] >= 0.5f)
        snprintf(rate, sizeof rate, "synced to %s", sync_rate_name((uint32_t)v[kLfoSyncRate]));
    else
        format_value(kLfoFreeRate, v[kLfoFreeRate], rate, sizeof rate);
    if (name)
        snprintf(piece, sizeof piece, "LFO %s, %s", name, rate);
    else
        snprintf(piece, sizeof piece, "LFO wave %s, %s", wave, rate);
    const uint32_t kShown[] = {kLfoAmount, kLfoBias, kLfoSkew, kLfoSyncPhase};
    const char* const kLabels[] = {"amount", "bias", "skew", "phase"};
    for (size_t i = 0; i < 4; ++i) {
        uint32_t index = kShown[i];
        bool is_default = v[index] == (float)parameter_record(index)->default_value;
        if (is_default || (index == kLfoSyncPhase && v[kLfoSync] < 0.5f))
            continue;
        format_value(index, v[index], number, sizeof number);
        size_t n = strlen(piece);
        snprintf(piece + n, sizeof piece - n, ", %s %s", kLabels[i], number);
    }
    add(out, capacity, piece);
}

// The preset's settings besides its vowels, as a phrase: "pedal 50 %; LFO
// Sine, 1.5 Hz".
void format_settings(const FactoryPreset& p, char* out, size_t capacity) {
    const float* v = p.values;
    out[0] = '\0';
    char piece[256];
    char number[48];
    format_value(kPosition, v[kPosition], number, sizeof number);
    snprintf(piece, sizeof piece, "pedal %s", number);
    add(out, capacity, piece);
    if (v[kMix] != 100.0f) {
        format_value(kMix, v[kMix], number, sizeof number);
        snprintf(piece, sizeof piece, "mix %s", number);
        add(out, capacity, piece);
    }
    if (v[kMidOn] >= 0.5f)
        add(out, capacity, "mid vowel on");
    if (v[kLfoOn] >= 0.5f)
        put_lfo(v, out, capacity);
    if (v[kEnvOn] >= 0.5f) {
        char attack[48];
        char release[48];
        format_value(kEnvAmount, v[kEnvAmount], number, sizeof number);
        format_value(kEnvAttack, v[kEnvAttack], attack, sizeof attack);
        format_value(kEnvRelease, v[kEnvRelease], release, sizeof release);
        snprintf(piece, sizeof piece, "envelope %s%s, attack %s, release %s",
                 v[kEnvAmount] > 0.0f ? "+" : "", number, attack, release);
        add(out, capacity, piece);
    }
    if (v[kBypass] >= 0.5f)
        add(out, capacity, "bypassed");
}

} // namespace

bool put_presets_section(FILE* f) {
    const char* category = "";
    for (uint32_t i = 0; i < kFactoryPresetCount; ++i) {
        const FactoryPreset& p = kFactoryPresets[i];
        const char* text = preset_guide_text(p.name);
        char uri[256];
        if (!text || !lv2_preset_uri(i, uri, sizeof uri) || !strstr(uri, "#preset-")) {
            fprintf(stderr, "guide: preset \"%s\" has no guide text or no URI\n", p.name);
            return false;
        }
        if (strcmp(category, p.category) != 0) {
            fprintf(f, "\n### %s\n\n", p.category);
            category = p.category;
        }
        const char* slug = strstr(uri, "#preset-") + strlen("#preset-");
        char settings[512];
        char item[1536];
        format_settings(p, settings, sizeof settings);
        snprintf(item, sizeof item, "- **%u. %s** ([listen](%s%02u-%s.wav)): %s Settings: %s.",
                 i + 1, p.name, kDemoFolder, i + 1, slug, text, settings);
        put_wrapped(f, item, "  ");
    }
    fprintf(f, "\n");
    return true;
}
