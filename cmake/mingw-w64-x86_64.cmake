# Cross-building for 64-bit Windows with Debian's mingw-w64. The posix compilers: the win32 ones
# have no std::thread or std::mutex. TAVELO_WINDOWS_DEPS is the prefix scripts/windows-deps
# built the outside libraries into.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAVELO_MINGW_HOST x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TAVELO_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVELO_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVELO_MINGW_HOST}-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVELO_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVELO_MINGW_HOST} ${TAVELO_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the cross-built libraries.
set(ENV{PKG_CONFIG_LIBDIR} ${TAVELO_WINDOWS_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# The programs the build runs itself (the sound maker, the test listing) run under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
