# Page-message parsing and dispatch, the per-message work of the editor's
# UI thread before it forwards an edit.
oka_add_bench(bench_webui_page_message SOURCES bench_webui_page_message.cc LIBS oka_webui_parse)
