// Drives the news request core with arbitrary page texts over in-memory
// files. The input holds several requests separated by zero bytes, so syncs
// meet files that earlier requests wrote. Each request sits in a buffer of
// exactly its size: any read past its end trips the address sanitizer.
// Every path the core hands to the files must stay inside the base folder.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>

#include "news/news_store.h"

namespace {

std::map<std::string, std::string> files;

// A component may only name one entry directly inside its parent.
void require_inside(NewsSlice part) {
    std::string name(part.data, part.length);
    bool escapes = name.empty() || name == "." || name == ".." ||
                   name.find_first_of("/\\:") != std::string::npos ||
                   name.find_first_not_of(". ") == std::string::npos;
    if (escapes) {
        fprintf(stderr, "path component escapes the base folder: '%s'\n", name.c_str());
        abort();
    }
}

std::string path_of(const NewsComponents* c) {
    if (c->count < 1 || c->count > 2)
        abort();
    std::string path;
    for (size_t i = 0; i < c->count; i++) {
        require_inside(c->part[i]);
        path += "/" + std::string(c->part[i].data, c->part[i].length);
    }
    return path;
}

NewsText copy_text(const std::string& text) {
    char* data = (char*)malloc(text.size() + 1);
    if (!data)
        abort();
    memcpy(data, text.data(), text.size());
    data[text.size()] = 0;
    return NewsText{data, text.size()};
}

NewsStatus read_memory(void*, const NewsComponents* c, NewsText* out) {
    auto found = files.find(path_of(c));
    *out = found == files.end() ? NewsText{nullptr, 0} : copy_text(found->second);
    return kNewsOk;
}

void write_memory(void*, NewsSlice text, const NewsComponents* c) {
    files[path_of(c)] = std::string(text.data, text.length);
}

NewsSyncOutcome sync_memory(void*, const NewsComponents* c, const NewsSyncBody* body,
                            NewsText* stored) {
    std::string& file = files[path_of(c)];
    size_t prefix_length = file.size() < 8 ? file.size() : 8;
    if (news_sync_accepts(body, (int64_t)file.size(), file.data(), prefix_length)) {
        file.assign(body->text.data, body->text.length);
        return kNewsSyncWritten;
    }
    *stored = copy_text(file);
    return kNewsSyncConflict;
}

const NewsFileOps kMemoryFiles = {read_memory, write_memory, sync_memory};

void check_reply(void*, const char* text) {
    if (strncmp(text, "quorlV1 ", 8) != 0)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    files.clear();
    size_t at = 0;
    while (at <= size) {
        const void* zero = memchr(data + at, 0, size - at);
        size_t end = zero ? (size_t)((const uint8_t*)zero - data) : size;
        size_t length = end - at;
        char* request = (char*)malloc(length ? length : 1);
        if (!request)
            abort();
        if (length)
            memcpy(request, data + at, length);
        news_store_serve(&kMemoryFiles, nullptr, request, length, check_reply, nullptr);
        free(request);
        at = end + 1;
    }
    return 0;
}
