// The plain-word texts of the user guide. Numbers in them follow from the
// engine: jaw, tongue and color place the three formants on log scales
// (220..900, 650..2400 and 2000..3100 Hz for a grown man's voice); sex and
// age raise all three together (sex 0: x1.18, age 0: x1.35, both: x1.45);
// the LFO at amount 100 swings the pedal across its whole range; the
// envelope adds amount x 0.5 x the input level to the pedal.
#include "engine/parameter_guide.h"

#include <string.h>

#include "engine/parameter_table.h"

namespace {

struct GuideText {
    const char* id; // the parameter id, so a misplaced row shows in the tests
    const char* text;
};

const char kJaw[] =
    "How far the jaw drops: the first formant, from 220 Hz (closed, as in \"oo\" and \"ee\") "
    "to 900 Hz (wide open, \"ah\"). The strongest of the three: the throat of the wah.";
const char kTongue[] =
    "Where the tongue sits: the second formant, from 650 Hz (back, as in \"oo\" and \"oh\") "
    "to 2400 Hz (front, \"ee\"). Takes the vowel from dark and hollow to bright and nasal.";
const char kColor[] = "The third formant, from 2000 to 3100 Hz: a quieter edge at the top of the "
                      "vowel, more presence as it rises.";
const char kSex[] = "Scales all three formants: 100 % is a grown man's voice; 0 % raises them by "
                    "18 %, towards a woman's.";
const char kAge[] = "Also scales all three: 100 % is an adult; lower values raise the formants "
                    "towards a child's voice (by 35 % at 0; with sex at 0 too, by 45 %).";

const GuideText kParameterTexts[kParameterCount] = {
    {"position",
     "The pedal: 0 % is the heel vowel, 100 % the toe vowel. The LFO and the envelope "
     "follower add to it, never beyond heel or toe. Map it to an expression pedal to play "
     "the wah by foot."},
    {"mix", "Dry against vowel: 100 % is the vowel filters alone, the full effect; lower values "
            "blend your dry sound back in. Changes glide over about 50 ms."},
    {"heel_jaw", kJaw},
    {"heel_tongue", kTongue},
    {"heel_color", kColor},
    {"heel_sex", kSex},
    {"heel_age", kAge},
    {"mid_on",
     "Puts the mid vowel halfway along the pedal, so a sweep passes through three vowels, "
     "heel, mid, toe, instead of gliding straight from heel to toe."},
    {"mid_jaw", kJaw},
    {"mid_tongue", kTongue},
    {"mid_color", kColor},
    {"mid_sex", kSex},
    {"mid_age", kAge},
    {"toe_jaw", kJaw},
    {"toe_tongue", kTongue},
    {"toe_color", kColor},
    {"toe_sex", kSex},
    {"toe_age", kAge},
    {"lfo_on",
     "Lets the LFO move the pedal. Switched off it keeps running in the background (a synced "
     "LFO stays on the beat); it just leaves the pedal alone."},
    {"lfo_waveform",
     "The LFO's shape: 1 sine, 2 triangle, 3 square, 4 random. Values in between blend the "
     "neighbours, so 2.5 is a triangle with steep sides and flat tops."},
    {"lfo_amount",
     "How far the LFO swings the pedal: at 100 % with the pedal at 50 % it sweeps all the way "
     "from heel to toe; at 50 % over half of that."},
    {"lfo_bias",
     "Moves the swing: at 0 it swings around the pedal position; +100 % swings only towards "
     "the toe (from the position up), -100 % only towards the heel."},
    {"lfo_skew",
     "Moves the turning point within each cycle: 0 is even; negative values make a quick rise "
     "to the toe and a slow fall, positive values a slow rise and a quick fall. The square "
     "stays at the toe for a short part of the cycle at negative values, a long one at "
     "positive."},
    {"lfo_sync",
     "Locks the LFO to the host's tempo: the speed comes from LFO sync rate, and while the "
     "song plays the LFO follows the song position, so every playback sweeps on the same beats."},
    {"lfo_free_rate",
     "LFO speed when not synced, in cycles per second: from one sweep every 5 seconds (0.2 Hz) "
     "to a fast flutter (20 Hz)."},
    {"lfo_sync_rate",
     "LFO speed when synced: one cycle per note value, from a dotted whole note (six beats) "
     "down to a 1/128 triplet. The rates table below lists them all."},
    {"lfo_sync_phase",
     "Shifts the synced LFO against the song, in degrees: at 0 a cycle starts (a sine at its "
     "heel end) at the song's start and every cycle after it; 180 shifts that by half a "
     "cycle. Only with Sync on."},
    {"env_on",
     "Lets the envelope follower move the pedal: the harder you play, the further it goes "
     "(towards the toe for a positive amount)."},
    {"env_amount",
     "How far your playing moves the pedal, and which way: positive towards the toe, negative "
     "towards the heel. Sensitive: at 100 % a quiet level of 0.02 (-34 dBFS) moves it all the "
     "way; for a guitar at a normal level start near 15 to 20 %."},
    {"env_attack",
     "How fast the follower rises when you play harder (the time to cover two thirds of a "
     "jump): a few ms give a quack on every pick, hundreds of ms a slow bloom."},
    {"env_release",
     "How fast it falls back as a note decays: short values snap back, long values let the "
     "pedal walk home slowly, a talking \"wow\" on every note."},
    {"bypass",
     "Takes the effect out with a 50 ms crossfade, never a click; the filters keep running, so "
     "it comes back in as smoothly. LV2 hosts show it as Enable, on when the effect runs."},
    {"mod_position",
     "Where the pedal really is after the LFO and envelope, from 0 (heel) to 100 % (toe); the "
     "editor's pedal shows it."},
    {"lfo_phase", "Where the LFO is within its cycle, from 0 to 1."},
    {"lfo_out",
     "What the LFO adds to the pedal just now, in whole pedal ranges (0 while the LFO is off)."},
    {"env_out",
     "What the envelope follower adds to the pedal just now, in whole pedal ranges (0 while it "
     "is off)."},
};

const char* const kWaveformTexts[4] = {
    "Smooth and even: the classic auto-wah, lingering a little at heel and toe.",
    "Straight sweeps with sharp turns: steadier through the middle than the sine.",
    "Jumps between two vowels, each jump softened by the filters' 5 ms glide: a talking chop.",
    "A new random pedal position at every cycle, held until the next: robot chatter.",
};

const GuideText kPresetTexts[] = {
    {"Init", "The defaults: the pedal alone sweeps a dark \"oo\" at the heel to an open \"ah\" at "
             "the toe. Start here and move Position."},
    {"Half-Cocked", "The mid vowel on and the pedal parked on it: a fixed, nasal \"aw\", the sound "
                    "of a wah left half-way down."},
    {"Rocking Wah", "A slow sine rocks the pedal from \"oo\" to \"ae\" and back, as a foot would."},
    {"Ooh Choir", "A held \"ooh\" in a woman's voice; push Position to open it to "
                  "\"ah\"."},
    {"Open Ah", "A held, open \"ah\" in a woman's voice; pull Position back to close it."},
    {"Bright Ee", "A bright, childlike \"ee\": thin and cutting, good for leads that must poke "
                  "through."},
    {"Vowel Drift", "A slow triangle drifts \"oh\", \"ah\", \"ee\" and back, one round every four "
                    "seconds: movement for long notes and pads."},
    {"Talk Box Wow",
     "Every pick opens \"oo\" through \"oh\" to \"ah\" and the decay closes it: each note says "
     "\"wow\"."},
    {"Talk Box Yeah", "Every pick goes from \"ee\" to \"ae\": each note says \"yeah\"."},
    {"Robot Chatter", "A random vowel on every eighth note, locked to the tempo: robot talk."},
    {"Quarter Pump", "On every beat a quick rise to the toe and a slow fall back: a pumping, "
                     "synced wah."},
    {"Eighth Chop", "Jumps between \"oh\" and \"ee\" on every eighth note."},
    {"Triplet Wobble", "A sine from a very dark \"oo\" to \"ah\" on eighth-note triplets."},
    {"Funk Quack", "A fast envelope: every pick quacks open and settles again. The funk "
                   "auto-wah."},
    {"Backwards Yow", "Runs the other way: the pick pulls the open \"ah\" towards \"oo\" and it "
                      "opens again as the note fades."},
    {"Slow Bloom", "Slow attack and release: held notes open from \"oh\" towards a bright \"eh\" "
                   "over half a second or so."},
    {"Breathing Vowel", "The defaults half mixed in, moved slowly by the LFO: gentle life for "
                        "clean parts and pads."},
    {"Touch of Voice", "A little vowel color, a third mixed in and nudged by your dynamics."},
};

constexpr uint32_t kPresetTextCount = sizeof kPresetTexts / sizeof kPresetTexts[0];

} // namespace

const char* parameter_guide_text(uint32_t index) {
    return index < kParameterCount ? kParameterTexts[index].text : nullptr;
}

const char* parameter_guide_id(uint32_t index) {
    return index < kParameterCount ? kParameterTexts[index].id : nullptr;
}

const char* waveform_guide_text(uint32_t w) {
    return w >= 1 && w <= 4 ? kWaveformTexts[w - 1] : nullptr;
}

const char* preset_guide_text(const char* name) {
    for (const GuideText& t : kPresetTexts)
        if (strcmp(t.id, name) == 0)
            return t.text;
    return nullptr;
}

const char* preset_guide_name(uint32_t i) {
    return i < kPresetTextCount ? kPresetTexts[i].id : nullptr;
}
