# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix-thread
# flavour, which std::thread needs). Programs built with it run under wine:
# add_test and gtest_discover_tests start them through the emulator, a
# script the project makes in the build folder (cmake/WineRun.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HABITUAL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HABITUAL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HABITUAL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${HABITUAL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HABITUAL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config looks only among the Windows libraries too, never at the build
# machine's own (whose headers and libraries cannot serve a Windows program).
set(ENV{PKG_CONFIG_LIBDIR} "${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# The programs carry the compiler's own libraries, so that they run without
# mingw's DLLs beside them (on a user's machine as under wine).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
