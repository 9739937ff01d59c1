# The news request parser: arbitrary page texts, file access kept in memory.
# Seeds (fuzz/seeds/news_request_fuzz): each request form, and a session of
# requests in a row so that syncs meet the files earlier requests wrote.
oka_add_fuzz(news_request_fuzz SOURCES news_request_fuzz.cc LIBS oka_news SECONDS 20)
