#include <string.h>

#include "docs/gen/guide_sections.h"

const GuideSection kGuideSections[] = {
    {"controls", put_controls_section},
    {"waveforms", put_waveforms_section},
    {"sync-rates", put_sync_rates_section},
    {"presets", put_presets_section},
};
const size_t kGuideSectionCount = sizeof kGuideSections / sizeof kGuideSections[0];

namespace {

const char kBegin[] = "<!-- begin generated: ";
const char kEnd[] = "<!-- end generated: ";
const char kClose[] = " -->";

// One line of the guide, without its line feed.
struct Line {
    const char* text;
    size_t size;
};

// The section a marker line names, when the line is exactly `prefix` NAME
// " -->"; null for any other line. `*known` tells whether NAME is a section.
const char* marker_name(Line line, const char* prefix, const GuideSection** known) {
    size_t p = strlen(prefix);
    size_t c = strlen(kClose);
    *known = nullptr;
    if (line.size < p + c || memcmp(line.text, prefix, p) != 0 ||
        memcmp(line.text + line.size - c, kClose, c) != 0)
        return nullptr;
    const char* name = line.text + p;
    size_t n = line.size - p - c;
    for (size_t i = 0; i < kGuideSectionCount; ++i)
        if (strlen(kGuideSections[i].name) == n && memcmp(kGuideSections[i].name, name, n) == 0)
            *known = &kGuideSections[i];
    return name;
}

bool fail(unsigned line, const char* what) {
    fprintf(stderr, "guide line %u: %s\n", line, what);
    return false;
}

} // namespace

bool splice_guide(const char* text, size_t size, FILE* out) {
    bool written[sizeof kGuideSections / sizeof kGuideSections[0]] = {};
    const GuideSection* open = nullptr; // inside this section's old lines
    unsigned number = 0;
    for (size_t at = 0; at < size;) {
        const char* lf = (const char*)memchr(text + at, '\n', size - at);
        size_t end = lf ? (size_t)(lf - text) : size;
        Line line = {text + at, end - at};
        ++number;
        const GuideSection* section;
        if (marker_name(line, kBegin, &section)) {
            if (open)
                return fail(number, "a section begins inside another");
            if (!section)
                return fail(number, "no such generated section");
            if (written[section - kGuideSections])
                return fail(number, "the section appears twice");
            fwrite(line.text, 1, line.size, out);
            fputc('\n', out);
            if (!section->write(out))
                return fail(number, "the section cannot be written from the tables");
            written[section - kGuideSections] = true;
            open = section;
        } else if (marker_name(line, kEnd, &section)) {
            if (!open || section != open)
                return fail(number, "this end marker closes no open section of its name");
            open = nullptr;
        }
        // Lines inside an open section are the old generated text: dropped.
        if (!open) {
            fwrite(line.text, 1, line.size, out);
            if (lf)
                fputc('\n', out);
        }
        at = lf ? end + 1 : size;
    }
    if (open)
        return fail(number, "the last generated section has no end marker");
    for (size_t i = 0; i < kGuideSectionCount; ++i) {
        if (!written[i]) {
            fprintf(stderr, "guide: no generated section \"%s\"\n", kGuideSections[i].name);
            return false;
        }
    }
    return true;
}
