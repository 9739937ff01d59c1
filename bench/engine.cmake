oka_add_bench(bench_engine SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_bench.cc
  LIBS oka_engine oka_platform)
