// Writes the user guide with its generated sections afresh from the tables.
//
// usage: guide_gen IN_GUIDE OUT_GUIDE   [build time]
// OUT_GUIDE may be IN_GUIDE itself: the guide is read whole first, and
// nothing is written unless every section could be.
#include <stdio.h>
#include <stdlib.h>

#include "docs/gen/guide_sections.h"

static char* read_whole(const char* path, size_t* size) {
    FILE* f = fopen(path, "rb");
    if (!f)
        return nullptr;
    char* text = nullptr;
    long n = -1;
    if (fseek(f, 0, SEEK_END) == 0 && (n = ftell(f)) >= 0 && fseek(f, 0, SEEK_SET) == 0) {
        text = (char*)malloc((size_t)n + 1);
        if (text && fread(text, 1, (size_t)n, f) != (size_t)n) {
            free(text);
            text = nullptr;
        }
    }
    fclose(f);
    *size = (size_t)n;
    return text;
}

// Copies the finished text from the scratch file to `path`.
static bool copy_out(FILE* scratch, const char* path) {
    FILE* out = fopen(path, "wb");
    if (!out)
        return false;
    rewind(scratch);
    char buffer[4096];
    size_t n;
    bool ok = true;
    while ((n = fread(buffer, 1, sizeof buffer, scratch)) > 0)
        ok = ok && fwrite(buffer, 1, n, out) == n;
    return fclose(out) == 0 && ok && !ferror(scratch);
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: guide_gen IN_GUIDE OUT_GUIDE\n");
        return 2;
    }
    size_t size = 0;
    char* text = read_whole(argv[1], &size);
    FILE* scratch = tmpfile();
    if (!text || !scratch) {
        fprintf(stderr, "guide_gen: cannot read %s\n", argv[1]);
        return 1;
    }
    bool ok = splice_guide(text, size, scratch);
    free(text);
    if (ok && !copy_out(scratch, argv[2])) {
        fprintf(stderr, "guide_gen: cannot write %s\n", argv[2]);
        ok = false;
    }
    fclose(scratch);
    return ok ? 0 : 1;
}
