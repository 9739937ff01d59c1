#include "news/news_line_ends.h"

size_t news_lines_from_disk(char* text, size_t length) {
    size_t kept = 0;
    for (size_t i = 0; i < length; i++) {
        if (text[i] == '\r' && i + 1 < length && text[i + 1] == '\n')
            continue;
        text[kept++] = text[i];
    }
    return kept;
}
