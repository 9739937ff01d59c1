# Cross toolchain for the Windows x64 modules and their test programs.
# Test programs run under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(OKA_MINGW_PREFIX x86_64-w64-mingw32)
# The posix thread model gives the tests std::thread; -static below keeps
# winpthread out of the import table.
set(CMAKE_C_COMPILER ${OKA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OKA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${OKA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${OKA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every Windows binary carries its own C and C++ runtime: a module may import
# only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
