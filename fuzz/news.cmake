# The news request parser: arbitrary page texts, file access kept in memory.
# Seeds are written here so each request form starts the corpus.
set(news_seeds ${CMAKE_BINARY_DIR}/fuzz-seeds/news_request_fuzz)
set(news_seed_texts
  "quorlV1 init prod"
  "quorlV1 getNews "
  "quorlV1 newSid sid text"
  "quorlV1 syncNews - first"
  "quorlV1 syncNews 12345678 second"
  "quorlV1 syncLatest prod -:late"
  "quorlV1 syncNewsForce forced\nline"
  "quorlV1 syncLatestForce prod latest")
set(i 0)
foreach(text IN LISTS news_seed_texts)
  file(WRITE ${news_seeds}/seed${i} "${text}")
  math(EXPR i "${i} + 1")
endforeach()

oka_add_fuzz(news_request_fuzz
  SOURCES news_request_fuzz.cc
  LIBS oka_news
  SEEDS ${news_seeds}
  SECONDS 20)
