// The guide's generator: the numbers it writes, the control tables it builds
// from the parameter table, and how it puts the sections into the guide
// without touching the hand-written text around them.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

#include "docs/gen/guide_format.h"
#include "docs/gen/guide_sections.h"
#include "engine/parameter_table.h"

namespace {

// What a writer puts into a file, as a string.
template <typename Write> std::string written(Write write, bool* ok) {
    FILE* f = tmpfile();
    *ok = write(f);
    std::string text;
    rewind(f);
    for (int c; (c = fgetc(f)) != EOF;)
        text.push_back((char)c);
    fclose(f);
    return text;
}

std::string spliced(const std::string& guide, bool* ok) {
    return written([&](FILE* f) { return splice_guide(guide.data(), guide.size(), f); }, ok);
}

std::string section(const char* name) {
    return std::string("<!-- begin generated: ") + name +
           " -->\nold text\n<!-- end generated: " + name + " -->\n";
}

std::string all_sections() {
    std::string guide;
    for (size_t i = 0; i < kGuideSectionCount; ++i)
        guide += section(kGuideSections[i].name);
    return guide;
}

std::string number(double v) {
    char text[48];
    format_number(v, text, sizeof text);
    return text;
}

std::string value(uint32_t index, double plain) {
    char text[64];
    format_value(index, plain, text, sizeof text);
    return text;
}

} // namespace

TEST(GuideFormat, NumbersReadAsAMusicianWritesThem) {
    EXPECT_EQ(number(46.6582563814956), "46.66");
    EXPECT_EQ(number(2.0000000000000004), "2");
    EXPECT_EQ(number(0.25), "0.25");
    EXPECT_EQ(number(0.5), "0.5");
    EXPECT_EQ(number(-100.0), "-100");
    EXPECT_EQ(number(-0.001), "0");
    EXPECT_EQ(number(71.2f), "71.2");
}

TEST(GuideFormat, ValuesCarryTheirUnitOrName) {
    EXPECT_EQ(value(kMix, 50.0), "50 %");
    EXPECT_EQ(value(kEnvAttack, 100.0), "100 ms");
    EXPECT_EQ(value(kLfoFreeRate, 0.2), "0.2 Hz");
    EXPECT_EQ(value(kLfoSkew, -80.0), "-80");
    EXPECT_EQ(value(kMidOn, 1.0), "on");
    EXPECT_EQ(value(kBypass, 0.0), "off");
    EXPECT_EQ(value(kLfoSyncRate, 8.0), "1/4");
    EXPECT_EQ(value(kLfoWaveform, 1.0), "1 = Sine");
    EXPECT_EQ(value(kLfoWaveform, 2.5), "2.5");
}

// The items as one line each, for searching: the wrapping undone.
static std::string unwrapped(std::string text) {
    for (size_t at; (at = text.find("\n  ")) != std::string::npos;)
        text.replace(at, 3, " ");
    return text;
}

TEST(GuideControls, EveryControlIsListedWithItsRangeAndDefault) {
    bool ok;
    std::string text = unwrapped(written(put_controls_section, &ok));
    ASSERT_TRUE(ok);
    EXPECT_NE(text.find("\n- **Position** (0 to 100 %, default 50 %): The pedal"),
              std::string::npos);
    EXPECT_NE(text.find("\n- **LFO bias** (-100 to 100 %, default 0 %): "), std::string::npos);
    EXPECT_NE(text.find("\n- **LFO waveform** (1 to 4, default 1 = Sine): "), std::string::npos);
    EXPECT_NE(text.find("\n- **LFO sync rate** (1/1. to 1/128T, default 1/4): "),
              std::string::npos);
    EXPECT_NE(text.find("\n- **Env release** (1 to 1000 ms, default 100 ms): "), std::string::npos);
    EXPECT_NE(text.find("\n- **Bypass** (off, on, default off): "), std::string::npos);
    EXPECT_NE(text.find("\n- **Env output** (-1 to 1): "), std::string::npos);
    EXPECT_NE(text.find("\n- **Mid on** (off or on, default off): "), std::string::npos);
    // One row per vowel field, its defaults in heel, mid, toe order.
    EXPECT_NE(text.find("\n| Jaw | 12.42 % | 46.66 % | 95.94 % |\n"), std::string::npos);
    EXPECT_NE(text.find("\n| Tongue | 12.62 % | 71.29 % | 69.44 % |\n"), std::string::npos);
    EXPECT_NE(text.find("\n| Age | 100 % | 100 % | 100 % |\n"), std::string::npos);
    EXPECT_NE(text.find("\n- **Color**: The third formant"), std::string::npos);
    // Every other control and read-out has an item of its own, once.
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        if (i >= kHeelJaw && i <= kToeAge)
            continue;
        std::string title;
        for (const char16_t* c = kParameterDescriptions[i].title; *c; ++c)
            title.push_back((char)*c);
        size_t at = text.find("\n- **" + title + "** (");
        EXPECT_NE(at, std::string::npos) << title;
        EXPECT_EQ(text.find("\n- **" + title + "** (", at + 1), std::string::npos) << title;
    }
}

TEST(GuideControls, SyncRatesShowTheCycleLengthInBeats) {
    bool ok;
    std::string text = written(put_sync_rates_section, &ok);
    ASSERT_TRUE(ok);
    EXPECT_NE(text.find("| 1/1 | 1/1. (1): 6 beats | 1/1 (2): 4 beats | 1/1T (3): 8/3 beats |"),
              std::string::npos);
    EXPECT_NE(text.find("1/4 (8): 1 beat |"), std::string::npos);
    EXPECT_NE(text.find("1/4T (9): 2/3 beat |"), std::string::npos);
    EXPECT_NE(text.find("1/32. (16): 3/16 beat |"), std::string::npos);
    EXPECT_NE(text.find("1/128T (24): 1/48 beat |"), std::string::npos);
}

TEST(GuideFormat, WrapsAtWordsAndKeepsUnitsWithTheirNumbers) {
    std::string text = "- **Item**:";
    for (int i = 0; i < 40; ++i)
        text += " word 100 % and 5 ms, then " + std::string(i == 20 ? 85 : 3, 'x');
    bool ok;
    std::string out = written(
        [&](FILE* f) {
            put_wrapped(f, text.c_str(), "  ");
            return true;
        },
        &ok);
    ASSERT_EQ(out.back(), '\n');
    size_t lines = 0;
    for (size_t at = 0, end; at < out.size(); at = end + 1, ++lines) {
        end = out.find('\n', at);
        std::string line = out.substr(at, end - at);
        bool long_word = line.find(std::string(85, 'x')) != std::string::npos;
        EXPECT_TRUE(line.size() <= kGuideLineWidth || long_word) << line;
        EXPECT_NE(line.rfind(lines ? "  " : "- **Item**:", 0), std::string::npos) << line;
        EXPECT_NE(line.back(), ' ') << line;
        EXPECT_NE(line.compare(lines ? 2 : 0, 1, "%"), 0) << "a unit opens a line: " << line;
        EXPECT_NE(line.compare(lines ? 2 : 0, 2, "ms"), 0) << "a unit opens a line: " << line;
    }
    EXPECT_GT(lines, 15u);
    EXPECT_EQ(unwrapped(out), text + "\n") << "no word may be split or lost";
}

TEST(GuideSplice, KeepsTheHandWrittenTextAndRenewsTheSections) {
    std::string guide = "# Title\n\nIntro.\n" + all_sections() + "Last line, no line feed";
    bool ok;
    std::string once = spliced(guide, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(once.rfind("# Title\n\nIntro.\n<!-- begin generated: controls -->\n\n### ", 0), 0u);
    EXPECT_EQ(once.find("old text"), std::string::npos);
    EXPECT_EQ(once.substr(once.size() - 24), "\nLast line, no line feed");
    // The result is its own regeneration: the committed guide can match it.
    EXPECT_EQ(spliced(once, &ok), once);
    EXPECT_TRUE(ok);
    // Every generated line keeps to the house's line width.
    for (size_t at = 0, end; at < once.size(); at = end + 1) {
        end = std::min(once.find('\n', at), once.size());
        EXPECT_LT(end - at, 100u) << once.substr(at, end - at);
    }
}

TEST(GuideSplice, RefusesMarkersItCannotPlace) {
    const std::string sections = all_sections();
    const std::string last_end = sections.substr(sections.rfind("<!-- end generated:"));
    const std::string faults[] = {
        sections + section("no-such-section"),
        // The last section runs to the end of the file: an in-place update
        // would drop everything after its begin marker.
        sections.substr(0, sections.size() - last_end.size()) + "hand-written\n",
        sections + "<!-- end generated: controls -->\n",
        sections + section("controls"),
        "<!-- begin generated: presets -->\n" + sections,
        sections.substr(0, sections.find("<!-- begin generated: waveforms")) +
            sections.substr(sections.find("<!-- begin generated: sync-rates")),
    };
    for (const std::string& guide : faults) {
        bool ok = true;
        spliced(guide, &ok);
        EXPECT_FALSE(ok) << guide;
    }
}

// Rewriting the guide in place must never cut it short: a guide the
// generator cannot handle is left exactly as it was.
TEST(GuideSplice, TheToolLeavesAGuideItCannotHandleAlone) {
    char path[] = "/tmp/guide_test_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string guide = "# Kept\n" + all_sections() + "<!-- begin generated: x -->\nrest\n";
    FILE* f = fdopen(fd, "wb");
    fwrite(guide.data(), 1, guide.size(), f);
    fclose(f);
    std::string command = std::string(OKA_GUIDE_GEN) + " " + path + " " + path + " 2>/dev/null";
    EXPECT_NE(system(command.c_str()), 0);
    bool ok;
    std::string after = written(
        [&](FILE* out) {
            FILE* in = fopen(path, "rb");
            for (int c; in && (c = fgetc(in)) != EOF;)
                fputc(c, out);
            return in && fclose(in) == 0;
        },
        &ok);
    EXPECT_EQ(after, guide);
    remove(path);
}
