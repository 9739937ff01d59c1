# The LV2 frame around the engine: one run() block, in nanoseconds per sample.
if(TARGET oka_lv2)
  oka_add_bench(bench_lv2_run SOURCES ${CMAKE_CURRENT_LIST_DIR}/lv2_run_bench.cc
    LIBS oka_lv2 oka_lv2host)
endif()
