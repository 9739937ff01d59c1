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
