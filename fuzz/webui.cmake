# The page-message parser and dispatcher: arbitrary page texts against a value
# cache of exactly the announced size. Seeds are written here, one per kind.
set(webui_seeds ${CMAKE_BINARY_DIR}/fuzz-seeds/webui_page_message_fuzz)
set(webui_seed_texts
  "$b 5 3f800000"
  "$s\t0x1f 0X40000000"
  "$e 23 bf800000"
  "$g"
  "$m quorlV1 getNews "
  "$m"
  "Cb 2 ffffffff")
set(i 0)
foreach(text IN LISTS webui_seed_texts)
  file(WRITE ${webui_seeds}/seed${i} "${text}")
  math(EXPR i "${i} + 1")
endforeach()

oka_add_fuzz(webui_page_message_fuzz
  SOURCES webui_page_message_fuzz.cc
  LIBS oka_webui_parse
  SEEDS ${webui_seeds}
  SECONDS 20)

# The frames a Linux web helper sends its editor: the committed seeds are a
# few whole streams, which the target cuts into reads in every way.
oka_add_fuzz(webui_helper_frames_fuzz
  SOURCES webui_helper_frames_fuzz.cc
  LIBS oka_webui_parse
  SEEDS ${PROJECT_SOURCE_DIR}/fuzz/seeds/webui_helper_frames_fuzz
  SECONDS 20)
