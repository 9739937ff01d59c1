# The VST3 component around the engine: one process() block, in nanoseconds
# per sample.
if(TARGET oka_vst3)
  oka_add_bench(bench_vst3_process SOURCES ${CMAKE_CURRENT_LIST_DIR}/vst3_process_bench.cc LIBS oka_vst3host oka_vst3)
endif()
