// The guide's sections on the controls, the LFO waveforms and the sync
// rates, from the parameter table and the guide texts beside it.
#include <math.h>
#include <string.h>

#include "docs/gen/guide_format.h"
#include "docs/gen/guide_sections.h"
#include "engine/parameter_guide.h"
#include "engine/parameter_names.h"
#include "engine/parameter_table.h"

namespace {

const uint32_t kPedalGroup[] = {kPosition, kMix, kBypass};
const uint32_t kLfoGroup[] = {kLfoOn,   kLfoWaveform, kLfoAmount,   kLfoBias,     kLfoSkew,
                              kLfoSync, kLfoFreeRate, kLfoSyncRate, kLfoSyncPhase};
const uint32_t kEnvelopeGroup[] = {kEnvOn, kEnvAmount, kEnvAttack, kEnvRelease};
const uint32_t kReadOutGroup[] = {kModPosition, kLfoPhase, kLfoOut, kEnvOut};
constexpr uint32_t kVowelFields = 5; // jaw, tongue, color, sex, age
const uint32_t kVowelFirst[3] = {kHeelJaw, kMidJaw, kToeJaw};

// Which indices the section has listed: every one must be, exactly once.
struct Listed {
    bool seen[kParameterCount];
};

bool mark(Listed* listed, uint32_t index) {
    if (listed->seen[index]) {
        fprintf(stderr, "guide: %s listed twice\n", kParameterDescriptions[index].id);
        return false;
    }
    listed->seen[index] = true;
    return true;
}

// "- **Title** (details): text", wrapped.
void put_item(FILE* f, uint32_t index, const char* details, const char* text) {
    char title[64];
    char item[1024];
    format_title(index, title, sizeof title);
    snprintf(item, sizeof item, "- **%s**%s%s%s: %s", title, details[0] ? " (" : "", details,
             details[0] ? ")" : "", text);
    put_wrapped(f, item, "  ");
}

bool put_group(FILE* f, Listed* listed, const char* heading, const uint32_t* group, size_t n) {
    fprintf(f, "### %s\n\n", heading);
    for (size_t i = 0; i < n; ++i) {
        uint32_t index = group[i];
        char range[96];
        char def[64];
        char details[192];
        format_range(index, range, sizeof range);
        format_value(index, parameter_record(index)->default_value, def, sizeof def);
        snprintf(details, sizeof details, "%s, default %s", range, def);
        put_item(f, index, details, parameter_guide_text(index));
        if (!mark(listed, index))
            return false;
    }
    fprintf(f, "\n");
    return true;
}

// "Heel jaw" gives "Jaw": the title without the vowel's name. False when
// the three vowels' titles do not share it, or the ranges differ, since the
// guide gives one row per field.
bool vowel_field_label(uint32_t field, char* out, size_t capacity) {
    const ParameterRecord* heel = parameter_record(kHeelJaw + field);
    char first[64] = "";
    for (uint32_t v = 0; v < 3; ++v) {
        uint32_t index = kVowelFirst[v] + field;
        const ParameterRecord* r = parameter_record(index);
        char title[64];
        format_title(index, title, sizeof title);
        const char* label = strchr(title, ' ') ? strchr(title, ' ') + 1 : "";
        if (v == 0)
            snprintf(first, sizeof first, "%s", label);
        if (strcmp(first, label) != 0 || r->minimum != heel->minimum ||
            r->maximum != heel->maximum || !(first[0] >= 'a' && first[0] <= 'z')) {
            fprintf(stderr, "guide: %s does not match the heel's field\n",
                    kParameterDescriptions[index].id);
            return false;
        }
    }
    snprintf(out, capacity, "%c%s", first[0] - 'a' + 'A', first + 1);
    return true;
}

bool put_vowels(FILE* f, Listed* listed) {
    char range[96];
    char text[512];
    format_range(kHeelJaw, range, sizeof range);
    snprintf(text, sizeof text,
             "Heel, mid and toe each have the same five controls, all from %s (hosts list them "
             "as \"Heel jaw\", \"Mid tongue\" and so on). Their defaults:",
             range);
    fprintf(f, "### The three vowels\n\n");
    put_wrapped(f, text, "");
    fprintf(f, "\n| Control | Heel | Mid | Toe |\n|---|---|---|---|\n");
    char labels[kVowelFields][64];
    for (uint32_t field = 0; field < kVowelFields; ++field) {
        if (!vowel_field_label(field, labels[field], sizeof labels[field]))
            return false;
        fprintf(f, "| %s |", labels[field]);
        for (uint32_t v = 0; v < 3; ++v) {
            uint32_t index = kVowelFirst[v] + field;
            char def[64];
            format_value(index, parameter_record(index)->default_value, def, sizeof def);
            fprintf(f, " %s |", def);
            if (!mark(listed, index))
                return false;
        }
        fprintf(f, "\n");
    }
    fprintf(f, "\n");
    for (uint32_t field = 0; field < kVowelFields; ++field) {
        char item[1024];
        snprintf(item, sizeof item, "- **%s**: %s", labels[field],
                 parameter_guide_text(kHeelJaw + field));
        put_wrapped(f, item, "  ");
    }
    char def[64];
    char details[96];
    format_value(kMidOn, parameter_record(kMidOn)->default_value, def, sizeof def);
    snprintf(details, sizeof details, "off or on, default %s", def);
    put_item(f, kMidOn, details, parameter_guide_text(kMidOn));
    fprintf(f, "\n");
    return mark(listed, kMidOn);
}

bool put_read_outs(FILE* f, Listed* listed) {
    fprintf(f, "### Read-outs\n\nThe plug-in reports these for display; hosts show them as "
               "read-only parameters.\n\n");
    for (uint32_t index : kReadOutGroup) {
        char range[96];
        format_range(index, range, sizeof range);
        put_item(f, index, range, parameter_guide_text(index));
        if (!mark(listed, index))
            return false;
    }
    fprintf(f, "\n");
    return true;
}

template <size_t N> constexpr size_t count(const uint32_t (&)[N]) {
    return N;
}

} // namespace

bool put_controls_section(FILE* f) {
    Listed listed = {};
    fprintf(f, "\n");
    if (!put_group(f, &listed, "Pedal, mix and bypass", kPedalGroup, count(kPedalGroup)) ||
        !put_vowels(f, &listed) || !put_group(f, &listed, "LFO", kLfoGroup, count(kLfoGroup)) ||
        !put_group(f, &listed, "Envelope follower", kEnvelopeGroup, count(kEnvelopeGroup)) ||
        !put_read_outs(f, &listed))
        return false;
    for (uint32_t index = 0; index < kParameterCount; ++index) {
        if (!listed.seen[index]) {
            fprintf(stderr, "guide: %s is in no group\n", kParameterDescriptions[index].id);
            return false;
        }
    }
    return true;
}

bool put_waveforms_section(FILE* f) {
    fprintf(f, "\n");
    for (uint32_t w = 1; waveform_name(w) != nullptr; ++w) {
        char item[512];
        snprintf(item, sizeof item, "- **%u, %s**: %s", w, waveform_name(w),
                 waveform_guide_text(w));
        put_wrapped(f, item, "  ");
    }
    fprintf(f, "\n");
    return true;
}

// A cycle's length in beats as musicians count it: 6, 8/3, 3/16.
static void put_beats(double beats, char* out, size_t capacity) {
    for (int q = 1; q <= 64; ++q) {
        double p = round(beats * q);
        if (fabs(p / q - beats) < 1e-5) {
            snprintf(out, capacity, q == 1 ? "%.0f" : "%.0f/%d", p, q);
            return;
        }
    }
    format_number(beats, out, capacity);
}

// The rates come in threes per note value: dotted, plain, triplet.
bool put_sync_rates_section(FILE* f) {
    fprintf(f, "\n| Note | Dotted | Plain | Triplet |\n|---|---|---|---|\n");
    for (uint32_t first = 1; first + 2 <= kSyncRateCount; first += 3) {
        fprintf(f, "| %s |", sync_rate_name(first + 1));
        for (uint32_t k = first; k < first + 3; ++k) {
            double length = 1.0 / (double)kSyncRatios[k - 1];
            char beats[48];
            put_beats(length, beats, sizeof beats);
            fprintf(f, " %s (%u): %s beat%s |", sync_rate_name(k), k, beats,
                    length > 1.001 ? "s" : "");
        }
        fprintf(f, "\n");
    }
    fprintf(f, "\n");
    return true;
}
