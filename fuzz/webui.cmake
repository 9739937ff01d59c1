# The page-message parser and dispatcher: arbitrary page texts against a value
# cache of exactly the announced size. Seeds (fuzz/seeds/webui_page_message_fuzz):
# one message of each kind, and an index outside the cache.
oka_add_fuzz(webui_page_message_fuzz SOURCES webui_page_message_fuzz.cc LIBS oka_webui_parse
  SECONDS 20)

# The frames a Linux web helper sends its editor: the committed seeds are a
# few whole streams, which the target cuts into reads in every way.
oka_add_fuzz(webui_helper_frames_fuzz
  SOURCES webui_helper_frames_fuzz.cc
  LIBS oka_webui_parse
  SEEDS ${PROJECT_SOURCE_DIR}/fuzz/seeds/webui_helper_frames_fuzz
  SECONDS 20)
