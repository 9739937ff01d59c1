# Build rules shared by every folder of the project.
#
# Three build trees come from one source tree (scripts/build.sh makes them):
#   OKA_TREE=native    gcc, optimised: the native LV2 bundle, tests, benchmarks
#   OKA_TREE=sanitize  clang with ASan and UBSan: tests again, and the fuzzers
#   OKA_TREE=windows   MinGW-w64: the Windows modules, tests run under Wine
#   OKA_TREE=tsan      clang with ThreadSanitizer: only the code shared by
#                      threads and its tests (the parameter hand-off)
include_guard(GLOBAL)

if(WIN32)
  set(OKA_TREE windows)
elseif(NOT OKA_TREE)
  set(OKA_TREE native)
endif()

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_C_STANDARD 11)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# The sound is defined operation by operation in single precision: no fused
# multiply-add contraction, no fast-math reassociation, SSE2 arithmetic (the
# x86-64 default) in every tree, so Linux and Windows give the same bits.
add_compile_options(-ffp-contract=off -fno-fast-math)

if(OKA_TREE STREQUAL "sanitize")
  set(OKA_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  add_compile_options(${OKA_SANITIZE_FLAGS})
  add_link_options(${OKA_SANITIZE_FLAGS})
endif()

if(OKA_TREE STREQUAL "tsan")
  set(OKA_TSAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
  add_compile_options(${OKA_TSAN_FLAGS})
  add_link_options(${OKA_TSAN_FLAGS})
endif()

# Warnings are errors in our own targets (not in GoogleTest's).
function(oka_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# oka_native_module_exports(TARGET MAP): a native plug-in module exports
# only the names in its linker version script MAP, and links complete on its
# own (not in the sanitize tree, whose runtimes resolve from the host
# program).
function(oka_native_module_exports target map)
  target_link_options(${target} PRIVATE -Wl,--version-script=${map})
  if(NOT OKA_TREE STREQUAL "sanitize")
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
endfunction()

# oka_add_library(NAME SOURCES ... [LIBS ...]): a static library of ours.
function(oka_add_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(A_LIBS)
    target_link_libraries(${name} PUBLIC ${A_LIBS})
  endif()
  oka_strict(${name})
  # In the sanitize tree our libraries carry libFuzzer's coverage counters,
  # so a fuzz target is guided by the code it drives, not by its harness
  # alone. Other programs link them as usual: the sanitizer runtime takes
  # the counters' calls.
  if(OKA_TREE STREQUAL "sanitize")
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# oka_add_gtest(NAME SOURCES ... [LIBS ...] [TIMEOUT s]): one GoogleTest
# program registered as one CTest test (TIMEOUT in the native trees only). In
# the Windows tree CTest starts it through Wine (the toolchain's emulator);
# one test per program keeps Wine start-ups few. There each case also runs
# under a watchdog (tests/support/watchdog): a hung case ends the program
# within a minute, naming the case.
function(oka_add_gtest name)
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  if(WIN32)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/watchdog/case_watchdog.cc)
  endif()
  target_link_libraries(${name} PRIVATE ${A_LIBS} gtest gmock gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  oka_strict(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(WIN32)
    # One limit for every program under Wine, whatever TIMEOUT says: the
    # longest (editor_runtime_test, which waits out a 20 s start-up on
    # purpose) takes 38 to 49 s on a loaded machine. A hang inside a case is
    # ended sooner by the watchdog, naming the case.
    set(A_TIMEOUT 90)
  elseif(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT} LABELS ${OKA_TREE})
endfunction()

# oka_add_bench(NAME SOURCES ... [LIBS ...]): a Google Benchmark program,
# built only in the optimised native tree. Benchmarks report; no test asserts
# on time.
function(oka_add_bench name)
  if(NOT OKA_TREE STREQUAL "native")
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  oka_strict(${name})
endfunction()

# oka_add_fuzz(NAME SOURCES ... [LIBS ...] [SEEDS dir] [SECONDS n]): a
# libFuzzer target, built only in the sanitize (clang) tree. SEEDS is its
# committed seed corpus, fuzz/seeds/NAME unless given. The test command runs
# it for a short, bounded time; fuzz/README.md gives the longer runs.
function(oka_add_fuzz name)
  if(NOT OKA_TREE STREQUAL "sanitize")
    return()
  endif()
  cmake_parse_arguments(A "" "SEEDS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT A_SECONDS)
    set(A_SECONDS 20)
  endif()
  if(NOT A_SEEDS)
    set(A_SEEDS ${PROJECT_SOURCE_DIR}/fuzz/seeds/${name})
  endif()
  if(NOT IS_DIRECTORY ${A_SEEDS})
    message(FATAL_ERROR "fuzz target ${name} has no seed corpus at ${A_SEEDS}")
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  oka_strict(${name})
  set(corpus ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
      ${PROJECT_SOURCE_DIR}/scripts/fuzz-run.sh $<TARGET_FILE:${name}> ${corpus}
      "${A_SEEDS}" ${A_SECONDS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS fuzz)
endfunction()

# oka_add_build_tool(NAME SOURCES ...): a program the build runs to write
# files from the project's tables (the LV2 description, the page's generated
# scripts). SOURCES lists every file it needs, library code included: the
# Windows tree compiles the tool with the build machine's own compiler, as a
# Windows program could only run under Wine, whose prefix is set up later.
# Sets OKA_TOOL_<NAME> in the caller's scope to the command that runs it
# (a target name or a file), usable in COMMAND and DEPENDS.
function(oka_add_build_tool name)
  cmake_parse_arguments(A "" "" "SOURCES" ${ARGN})
  list(TRANSFORM A_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  if(CMAKE_CROSSCOMPILING)
    find_program(OKA_HOST_CXX NAMES c++ g++ REQUIRED)
    set(tool ${CMAKE_CURRENT_BINARY_DIR}/${name}_host)
    add_custom_command(OUTPUT ${tool}
      COMMAND ${OKA_HOST_CXX} -std=c++17 -O1 -Wall -Wextra -Werror -I${PROJECT_SOURCE_DIR}
        ${A_SOURCES} -lm -o ${tool}
      DEPENDS ${A_SOURCES}
      COMMENT "Building ${name} for the build machine")
  else()
    add_executable(${name} ${A_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    oka_strict(${name})
    set(tool ${name})
  endif()
  set(OKA_TOOL_${name} ${tool} PARENT_SCOPE)
endfunction()

# The editor page as it ships: the files of webui/page/ and the scripts
# generated from the project's tables, gathered in one folder of each tree.
# The bundles copy it and the page tests load it (target oka_page).
set(OKA_PAGE_DIR ${CMAKE_BINARY_DIR}/page)

# oka_add_page_file(FILE NAME TOOL COMMAND [ARGS ...]): one generated file of
# the page, written as OKA_PAGE_DIR/NAME by running the build tool COMMAND
# (from oka_add_build_tool) with ARGS and then the output path. Callable from
# any folder once oka_page exists (webui/CMakeLists.txt makes it).
function(oka_add_page_file)
  cmake_parse_arguments(A "" "FILE;TOOL" "ARGS" ${ARGN})
  set(out ${OKA_PAGE_DIR}/${A_FILE})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${OKA_PAGE_DIR}
    COMMAND ${A_TOOL} ${A_ARGS} ${out}
    DEPENDS ${A_TOOL}
    COMMENT "Generating the page's ${A_FILE}")
  string(MAKE_C_IDENTIFIER "oka_page_${A_FILE}" target)
  add_custom_target(${target} DEPENDS ${out})
  add_dependencies(oka_page ${target})
endfunction()
