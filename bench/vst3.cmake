# The Linux VST3 module around the engine: one process() block through the
# bundle's loaded .so, in nanoseconds per sample.
if(TARGET oka_vst3_module AND NOT WIN32)
  oka_add_bench(bench_vst3_process SOURCES ${CMAKE_CURRENT_LIST_DIR}/vst3_process_bench.cc
    LIBS oka_vst3host oka_engine)
  if(TARGET bench_vst3_process)
    add_dependencies(bench_vst3_process oka_vst3_bundle)
    target_compile_definitions(bench_vst3_process PRIVATE
      OKA_VST3_MODULE_PATH="${OKA_VST3_BINARY}")
  endif()
endif()
