#include "tests/news/news_test_appdata.h"

#include <stdio.h>

#include "news/news_store.h"

namespace {

void collect_reply(void* context, const char* text) {
    ((std::vector<std::string>*)context)->push_back(text);
}

} // namespace

bool read_raw_file(const NewsPath& path, std::string* bytes) {
    FILE* file = open_raw_file(path, false);
    if (!file)
        return false;
    bytes->clear();
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes->append(buffer, got);
    fclose(file);
    return true;
}

bool write_raw_file(const PrivateAppData* app_data, const std::vector<NewsPath>& parts,
                    const std::string& bytes) {
    NewsPath path = news_file_path(app_data, parts);
    NewsPath folder = path.substr(0, path.find_last_of(NEWS_SEPARATOR[0]));
    if (!ensureFolders(folder.c_str()))
        return false;
    FILE* file = open_raw_file(path, true);
    if (!file)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

std::vector<std::string> ask_store(const std::string& request) {
    std::vector<std::string> replies;
    news_store(request.c_str(), collect_reply, &replies);
    return replies;
}
